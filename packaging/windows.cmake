# The folder that runs on any 64-bit Windows as it is, packed as a zip and as an installer: the
# programs with the Qt DLLs and plugins they load and the compiler's runtime DLLs beside them (what
# windeployqt lays out; a cross build has none), a README and the licence.
set(ORVANE_MAKER Orvane)

# Each program's icon and version, as Explorer shows them.
foreach(program_and_description
        "orvane-finder|Orvane Finder"
        "orvane-find|Orvane Finder command line search"
        "orvane-device-sim|Orvane device simulator")
    string(REPLACE "|" ";" program_and_description ${program_and_description})
    list(GET program_and_description 0 ORVANE_RC_PROGRAM)
    list(GET program_and_description 1 ORVANE_RC_DESCRIPTION)
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/version/${ORVANE_RC_PROGRAM}.rc)
    configure_file(${CMAKE_CURRENT_LIST_DIR}/windows/version.rc.in ${rc} @ONLY)
    target_sources(${ORVANE_RC_PROGRAM} PRIVATE ${rc})
    set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${ORVANE_ICON_ICO})
endforeach()

install(TARGETS orvane-finder orvane-find orvane-device-sim RUNTIME DESTINATION .)
foreach(text README LICENSE)
    configure_file(${CMAKE_CURRENT_LIST_DIR}/windows/${text}.txt.in
        ${CMAKE_CURRENT_BINARY_DIR}/${text}.txt @ONLY NEWLINE_STYLE CRLF)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${text}.txt DESTINATION .)
endforeach()
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

set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_PACKAGE_NAME OrvaneFinder)
set(CPACK_PACKAGE_VENDOR ${ORVANE_MAKER})
set(CPACK_SYSTEM_NAME win64)

# The installer: per machine into Program Files, a Start Menu shortcut, one entry in Apps &
# features whatever version was there before (the key holds no version, and the installed copy
# is uninstalled first), the firewall rules. Debian's makensis builds 32-bit installers unless
# told the target; a 64-bit one also runs where Windows runs no 32-bit programs.
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Orvane Finder")
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "Orvane Finder")
set(CPACK_NSIS_PACKAGE_NAME "Orvane Finder")
set(CPACK_NSIS_DISPLAY_NAME "Orvane Finder")
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_CURRENT_BINARY_DIR}/LICENSE.txt)
set(CPACK_NSIS_MUI_ICON ${ORVANE_ICON_ICO})
set(CPACK_NSIS_MUI_UNIICON ${ORVANE_ICON_ICO})
set(CPACK_NSIS_INSTALLED_ICON_NAME orvane-finder.exe)
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
set(CPACK_PACKAGE_EXECUTABLES orvane-finder "Orvane Finder")
# The installer's own version resource, as the programs have theirs.
string(JOIN "\n" CPACK_NSIS_DEFINES
    "Target amd64-unicode"
    "!include \"${CMAKE_CURRENT_LIST_DIR}/windows/firewall.nsh\""
    "VIProductVersion ${PROJECT_VERSION}.0"
    "VIAddVersionKey CompanyName \"${ORVANE_MAKER}\""
    "VIAddVersionKey FileDescription \"Orvane Finder installer\""
    "VIAddVersionKey FileVersion ${PROJECT_VERSION}"
    "VIAddVersionKey ProductName \"Orvane Finder\""
    "VIAddVersionKey ProductVersion ${PROJECT_VERSION}")
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS "!insertmacro OrvaneFirewallRules Add")
# CPack's uninstaller leaves the maker's key behind, empty.
string(JOIN "\n" CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS
    "!insertmacro OrvaneFirewallRules Delete"
    "DeleteRegKey SHCTX \"Software\\${ORVANE_MAKER}\\Orvane Finder\""
    "DeleteRegKey /ifempty SHCTX \"Software\\${ORVANE_MAKER}\"")
include(CPack)
