# Every sound is synthesised from the recipe of the same name.
foreach(sound eat_dot eat_Ghost extramog Killed GAMEBEGINNING interm)
  set(recipe "${CMAKE_CURRENT_LIST_DIR}/${sound}.txt")
  set(wave "${CHOMPO_DATA_DIR}/${sound}.wav")
  add_custom_command(
    OUTPUT "${wave}"
    COMMAND $<TARGET_FILE:sound_tool> "${recipe}" "${wave}"
    DEPENDS sound_tool "${recipe}"
    COMMENT "Synthesising ${sound}.wav"
    VERBATIM)
  list(APPEND CHOMPO_DATA_FILES "${wave}")
endforeach()
