# The program's icon in the sizes title bars, task bars and Explorer ask for, rendered from the
# SVG when CMake configures, so that no picture is kept by hand: PNGs in a Qt resource for the
# window on every system, and on Windows one .ico for the programs' resources and the installer.
set(ORVANE_ICON_SVG ${CMAKE_CURRENT_LIST_DIR}/example.orvane.Finder.svg)
set(ORVANE_ICON_DIR ${CMAKE_BINARY_DIR}/icon)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${ORVANE_ICON_SVG})
find_program(ORVANE_RSVG_CONVERT rsvg-convert REQUIRED)

file(MAKE_DIRECTORY ${ORVANE_ICON_DIR})
set(pngs "")
set(resource_entries "")
foreach(size 16 24 32 48 64 256)
    set(png ${ORVANE_ICON_DIR}/${size}.png)
    execute_process(COMMAND ${ORVANE_RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${ORVANE_ICON_SVG}
        COMMAND_ERROR_IS_FATAL ANY)
    list(APPEND pngs ${png})
    string(APPEND resource_entries "<file>${size}.png</file>")
endforeach()
file(WRITE ${ORVANE_ICON_DIR}/icon.qrc
    "<RCC><qresource prefix=\"/icon\">${resource_entries}</qresource></RCC>\n")
target_sources(orvane-finder PRIVATE ${ORVANE_ICON_DIR}/icon.qrc)
set_target_properties(orvane-finder PROPERTIES AUTORCC ON)

if(WIN32)
    # Windows shows the 256 pixel picture as PNG, the small ones as bitmaps.
    find_program(ORVANE_ICOTOOL icotool REQUIRED)
    set(ORVANE_ICON_ICO ${ORVANE_ICON_DIR}/orvane-finder.ico)
    list(POP_BACK pngs large)
    execute_process(COMMAND ${ORVANE_ICOTOOL} -c -o ${ORVANE_ICON_ICO} ${pngs} -r ${large}
        COMMAND_ERROR_IS_FATAL ANY)
endif()
