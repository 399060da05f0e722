# The folder that runs on any 64-bit Windows as it is, packed as a zip: the programs with the Qt
# DLLs and plugins they load and the compiler's runtime DLLs beside them (what windeployqt lays
# out; a cross build has none).
install(TARGETS orvane-finder orvane-find orvane-device-sim RUNTIME DESTINATION .)
set(ORVANE_QT_DLLS "")
foreach(module Core Gui Widgets Network Concurrent)
    list(APPEND ORVANE_QT_DLLS $<TARGET_FILE:Qt5::${module}>)
endforeach()
install(FILES ${ORVANE_QT_DLLS} DESTINATION .)
install(FILES $<TARGET_FILE:Qt5::QWindowsIntegrationPlugin> DESTINATION platforms)
install(FILES $<TARGET_FILE:Qt5::QWindowsVistaStylePlugin> DESTINATION styles)

# Without their debug information: libstdc++ alone is 24 MB with it, 4 MB without.
set(ORVANE_RUNTIME_DLLS "")
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
        OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
    get_filename_component(found ${found} REALPATH)
    if(NOT EXISTS ${found})
        message(FATAL_ERROR "${CMAKE_CXX_COMPILER} knows no ${dll}")
    endif()
    set(stripped ${CMAKE_CURRENT_BINARY_DIR}/runtime/${dll})
    file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/runtime)
    execute_process(COMMAND ${CMAKE_STRIP} --strip-debug -o ${stripped} ${found}
        COMMAND_ERROR_IS_FATAL ANY)
    list(APPEND ORVANE_RUNTIME_DLLS ${stripped})
endforeach()
install(FILES ${ORVANE_RUNTIME_DLLS} DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME OrvaneFinder)
set(CPACK_PACKAGE_VENDOR Orvane)
set(CPACK_SYSTEM_NAME win64)
include(CPack)
