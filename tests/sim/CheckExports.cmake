# cmake -DNM=<nm> -DLIBRARY=<file> -P CheckExports.cmake         (an ELF shared library)
# cmake -DOBJDUMP=<objdump> -DLIBRARY=<file> -P CheckExports.cmake (a Windows DLL)
# Fails unless the library exports exactly the fourteen driver entry points, under their plain
# names, and nothing else.
if(OBJDUMP)
  execute_process(COMMAND ${OBJDUMP} -p ${LIBRARY} OUTPUT_VARIABLE listing RESULT_VARIABLE status)
  # The export names stand in the table after "[Ordinal/Name Pointer] Table", one per line:
  # "\t[   0] FT_Close", up to the first empty line.
  string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table\n([^\n]+\n)*" table "${listing}")
  string(REGEX MATCHALL "\t\\[ *[0-9]+\\] [^\n]+" lines "${table}")
else()
  execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY}
                  OUTPUT_VARIABLE listing RESULT_VARIABLE status)
  string(REGEX MATCHALL "[^\n]+" lines "${listing}")
endif()
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cannot list the exports of ${LIBRARY}")
endif()
set(names)
foreach(line IN LISTS lines)
  string(STRIP "${line}" line)
  string(REGEX REPLACE "^.*[ \t]" "" name "${line}")
  list(APPEND names ${name})
endforeach()
list(SORT names)
set(expected FT_Close FT_CreateDeviceInfoList FT_GetDeviceInfoList FT_GetQueueStatus
    FT_GetStatus FT_OpenEx FT_Purge FT_Read FT_ResetDevice FT_SetBaudRate
    FT_SetDataCharacteristics FT_SetFlowControl FT_SetTimeouts FT_Write)
if(NOT names STREQUAL expected)
  message(FATAL_ERROR "exported: ${names}\nexpected: ${expected}")
endif()
message(STATUS "exactly the fourteen entry points are exported")
