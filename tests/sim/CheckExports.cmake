# cmake -DNM=<nm> -DLIBRARY=<file> -P CheckExports.cmake
# Fails unless the library defines exactly the fourteen driver entry points and nothing else.
execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY}
                OUTPUT_VARIABLE listing RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()
string(REGEX MATCHALL "[^\n]+" lines "${listing}")
set(names)
foreach(line IN LISTS lines)
  string(REGEX REPLACE "^.* " "" name "${line}")
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
