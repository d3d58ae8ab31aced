# The ten stages, in play order. stage_tool refuses any maze that breaks a
# rule (docs/stages.md), so a bad edit stops the build.
set(chompo_stage_sources)
foreach(n 01 02 03 04 05 06 07 08 09 10)
  list(APPEND chompo_stage_sources "${CMAKE_CURRENT_LIST_DIR}/stage${n}.txt")
endforeach()
set(chompo_stage_outputs "${CHOMPO_DATA_DIR}/StageData.map" "${CHOMPO_DATA_DIR}/StageData.scp")
add_custom_command(
  OUTPUT ${chompo_stage_outputs}
  COMMAND $<TARGET_FILE:stage_tool> --out "${CHOMPO_DATA_DIR}" ${chompo_stage_sources}
  DEPENDS stage_tool ${chompo_stage_sources}
  COMMENT "Checking the stages and writing StageData.map and StageData.scp"
  VERBATIM)
list(APPEND CHOMPO_DATA_FILES ${chompo_stage_outputs})
