# Copies the demo label files beside the executables, leaving any file already there alone.
foreach(name plan.txt unit.txt pilot.txt area.txt class.txt special.txt)
  if(NOT EXISTS "${DEST_DIR}/${name}" AND EXISTS "${SOURCE_DIR}/${name}")
    file(COPY "${SOURCE_DIR}/${name}" DESTINATION "${DEST_DIR}")
  endif()
endforeach()
