# orq_windows_resources(TARGET DESCRIPTION): gives a Windows program file the project's icon
# (rendered from the SVG at the sizes Windows shows), the manifest (runs as the invoker,
# per-monitor DPI aware) and a version resource naming DESCRIPTION.
find_program(ORQ_RSVG_CONVERT rsvg-convert REQUIRED)
find_program(ORQ_IMAGEMAGICK_CONVERT convert REQUIRED)

set(ORQ_WINDOWS_ICON ${CMAKE_BINARY_DIR}/windows/orq-syv-settings.ico)
set(ORQ_WINDOWS_MANIFEST ${CMAKE_BINARY_DIR}/windows/orq-syv-settings.manifest)
set(ORQ_WINDOWS_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.0.0)
string(REPLACE "." "," ORQ_WINDOWS_VERSION_COMMAS ${ORQ_WINDOWS_VERSION})
configure_file(${PROJECT_SOURCE_DIR}/shell/windows/orq-syv-settings.manifest
  ${ORQ_WINDOWS_MANIFEST} @ONLY)

set(orq_icon_svg ${PROJECT_SOURCE_DIR}/packaging/orq-syv-settings.svg)
set(orq_icon_pngs)
foreach(size 16 24 32 48 64 256)
  set(png ${CMAKE_BINARY_DIR}/windows/icon-${size}.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${ORQ_RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${orq_icon_svg}
    DEPENDS ${orq_icon_svg} VERBATIM)
  list(APPEND orq_icon_pngs ${png})
endforeach()
add_custom_command(OUTPUT ${ORQ_WINDOWS_ICON}
  COMMAND ${ORQ_IMAGEMAGICK_CONVERT} ${orq_icon_pngs} ${ORQ_WINDOWS_ICON}
  DEPENDS ${orq_icon_pngs} VERBATIM)
add_custom_target(orq_windows_icon DEPENDS ${ORQ_WINDOWS_ICON})

function(orq_windows_resources target description)
  set(ORQ_WINDOWS_NAME ${target})
  set(ORQ_WINDOWS_DESCRIPTION ${description})
  set(rc ${CMAKE_BINARY_DIR}/windows/${target}.rc)
  configure_file(${PROJECT_SOURCE_DIR}/shell/windows/orq-syv-settings.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
  set_source_files_properties(${rc} PROPERTIES
    OBJECT_DEPENDS "${ORQ_WINDOWS_ICON};${ORQ_WINDOWS_MANIFEST}")
  add_dependencies(${target} orq_windows_icon)
endfunction()
