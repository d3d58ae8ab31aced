# Every picture of the game: the text sources in this folder, read in this
# order (a picture may be "like" one read before it), plus the large ones the
# picture tool draws in code (the title, the large character, the moons).
set(chompo_picture_sources
  "${CMAKE_CURRENT_LIST_DIR}/player.pix"
  "${CMAKE_CURRENT_LIST_DIR}/dying.pix"
  "${CMAKE_CURRENT_LIST_DIR}/ghosts.pix"
  "${CMAKE_CURRENT_LIST_DIR}/eyes.pix"
  "${CMAKE_CURRENT_LIST_DIR}/walls.pix"
  "${CMAKE_CURRENT_LIST_DIR}/dots.pix"
  "${CMAKE_CURRENT_LIST_DIR}/scenes.pix")

set(chompo_picture_names
  Left_eye.bmp Right_eye.bmp Up_eye.bmp Down_eye.bmp
  BlueGhost1.bmp BlueGhost2.bmp BlueGhostF1.bmp BlueGhostF2.bmp
  sDot.bmp lDot.bmp Title5.bmp Checker.bmp Sweat1.bmp)
foreach(i RANGE 1 6)
  list(APPEND chompo_picture_names Mog${i}.bmp MogDead_${i}.bmp NudeGhost${i}.bmp MogMoon${i}.bmp)
endforeach()
foreach(i RANGE 1 3)
  list(APPEND chompo_picture_names Mog_Large${i}.bmp slipGhost${i}.bmp)
endforeach()
foreach(ghost RANGE 1 4)
  list(APPEND chompo_picture_names ghost${ghost}_1.bmp ghost${ghost}_2.bmp)
endforeach()
foreach(i RANGE 1 16)
  list(APPEND chompo_picture_names wall${i}.bmp)
endforeach()

set(chompo_picture_outputs)
foreach(name IN LISTS chompo_picture_names)
  list(APPEND chompo_picture_outputs "${CHOMPO_DATA_DIR}/${name}")
endforeach()
string(JOIN "," chompo_picture_expected ${chompo_picture_names})

add_custom_command(
  OUTPUT ${chompo_picture_outputs}
  COMMAND chompo_pictures --out "${CHOMPO_DATA_DIR}" --expect "${chompo_picture_expected}"
          ${chompo_picture_sources}
  DEPENDS chompo_pictures ${chompo_picture_sources}
  COMMENT "Drawing the pictures"
  VERBATIM)
list(APPEND CHOMPO_DATA_FILES ${chompo_picture_outputs})
