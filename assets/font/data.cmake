# The Latin font, drawn glyph by glyph in glyphs.txt.
set(chompo_font_output "${CHOMPO_DATA_DIR}/e1.eng")
add_custom_command(
  OUTPUT "${chompo_font_output}"
  COMMAND $<TARGET_FILE:font_tool> "${CMAKE_CURRENT_LIST_DIR}/glyphs.txt" "${chompo_font_output}"
  DEPENDS font_tool "${CMAKE_CURRENT_LIST_DIR}/glyphs.txt"
  COMMENT "Writing the font e1.eng"
  VERBATIM)
list(APPEND CHOMPO_DATA_FILES "${chompo_font_output}")
