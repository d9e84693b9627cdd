# cmake -DOBJDUMP=<objdump> -DPROGRAM=<file.exe> -P CheckImports.cmake
# Fails unless the program imports Windows' own DLLs only: the C++ runtime and Qt linked in
# statically, and the D2XX driver left to be loaded at run time, so that a missing driver is a
# message of the program's and not the loader's refusal to start it.
execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM} OUTPUT_VARIABLE listing RESULT_VARIABLE status)
string(REGEX MATCHALL "DLL Name: [^\n]+" lines "${listing}")
if(NOT status EQUAL 0 OR NOT lines)
  message(FATAL_ERROR "cannot list the imports of ${PROGRAM}")
endif()
foreach(line IN LISTS lines)
  string(REGEX REPLACE "^DLL Name: " "" name "${line}")
  string(TOLOWER "${name}" name)
  if(name MATCHES "^(lib.*|qt6.*|ftd2xx|d2xxsim)\\.dll$")
    message(FATAL_ERROR "${PROGRAM} imports ${name}")
  endif()
endforeach()
