# The Windows installer (`cpack -G NSIS`) and a portable zip (`cpack -G ZIP`) of what
# `cmake --install` installs: one program folder with tallivue.exe, the DLLs and plugins it
# loads, IMGs\ and Sounds\.
tallivue_install_windows_runtime()

set(CPACK_GENERATOR NSIS ZIP)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_NAME Tallivue)
set(CPACK_PACKAGE_VENDOR Outrider)
set(CPACK_PACKAGE_VERSION ${TALLIVUE_VERSION})
set(CPACK_PACKAGE_FILE_NAME Tallivue-${TALLIVUE_VERSION}-win64)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "kit-up room display for laser-tag arenas")
set(CPACK_PACKAGE_INSTALL_DIRECTORY Tallivue)
# The installer's own key is Software\<vendor>\<this>, which its uninstaller deletes whole: by
# default that is the very key of the settings.
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "Tallivue Setup")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/assets/copyright)
# A zip unpacks into a folder of its own name, which is the program folder.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)

# A 64-bit installer for the 64-bit program: it sees the registry and Program Files as the
# program does, and runs where Wine has only its 64-bit half.
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_PACKAGE_NAME Tallivue)
set(CPACK_NSIS_DISPLAY_NAME Tallivue)
if(TARGET icon_ico)
    set(CPACK_NSIS_MUI_ICON ${PROJECT_BINARY_DIR}/icons/tallivue.ico)
    set(CPACK_NSIS_MUI_UNIICON ${PROJECT_BINARY_DIR}/icons/tallivue.ico)
endif()
set(CPACK_NSIS_INSTALLED_ICON_NAME tallivue.exe)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
# The Start menu entry.
set(CPACK_PACKAGE_EXECUTABLES tallivue Tallivue)
# The installer runs as an administrator, the display as whoever is logged on at the kit-up
# room PC: the program, run once from here, makes the settings key and lets the Users group
# write it, so that the staff can save the properties without an administrator. Then, at the
# staff's choice (/AUTOSTART when silent), the display starts whenever anyone logs on, and again
# whenever it ends other than by its Exit menu.
# The uninstaller takes the shortcut and the firewall's rules away and leaves the settings for
# the next install.
set(install_commands [=[
ExecWait '"$INSTDIR\tallivue.exe" --prepare-settings' $0
StrCmp $0 "0" +2
  MessageBox MB_OK|MB_ICONEXCLAMATION "The settings could not be made writable for every user (error $0): save the properties as an administrator." /SD IDOK
; Windows' firewall would stop the controller's datagrams (or ask whoever is at the screen):
; the display may hear UDP port 12001 from its own network only, whatever the network's kind.
nsExec::Exec 'netsh advfirewall firewall add rule name="Tallivue" dir=in action=allow program="$INSTDIR\tallivue.exe" protocol=UDP localport=12001 remoteip=localsubnet profile=any'
Pop $0
${GetParameters} $1
ClearErrors
${GetOptions} $1 "/AUTOSTART" $2
IfErrors 0 tallivue_autostart
MessageBox MB_YESNO|MB_ICONQUESTION "Start the display whenever someone logs on to this PC?" /SD IDNO IDNO tallivue_no_autostart
tallivue_autostart:
; Started by the program's own keeper, which starts the display again if it crashes or is
; ended from the Task Manager, and ends with it when it is ended by its Exit menu.
CreateShortCut "$SMSTARTUP\Tallivue.lnk" "$INSTDIR\tallivue.exe" "--keep-running"
tallivue_no_autostart:
]=])
# A program with the front desk asks (/FRONTDESK when silent) whether its web page may be
# reached from the PC's own network: on TCP, on any port, since the port is a setting.
tallivue_linked_dlls(tallivue linked)
if(Qt6::HttpServer IN_LIST linked)
    string(APPEND install_commands [=[
ClearErrors
${GetOptions} $1 "/FRONTDESK" $2
IfErrors 0 tallivue_front_desk
MessageBox MB_YESNO|MB_ICONQUESTION "Let the front desk's web page through Windows' firewall, for the PCs and phones on this PC's own network? (The page stays off until it is switched on in Tallivue's settings.)" /SD IDNO IDNO tallivue_no_front_desk
tallivue_front_desk:
nsExec::Exec 'netsh advfirewall firewall add rule name="Tallivue front desk" dir=in action=allow program="$INSTDIR\tallivue.exe" protocol=TCP remoteip=localsubnet profile=any'
Pop $0
tallivue_no_front_desk:
]=])
endif()
file(WRITE ${PROJECT_BINARY_DIR}/nsis/install.nsh "${install_commands}")
# The front desk's rule goes whether this install made it or an earlier one did.
file(WRITE ${PROJECT_BINARY_DIR}/nsis/uninstall.nsh [=[
Delete "$SMSTARTUP\Tallivue.lnk"
nsExec::Exec 'netsh advfirewall firewall delete rule name="Tallivue"'
Pop $0
nsExec::Exec 'netsh advfirewall firewall delete rule name="Tallivue front desk"'
Pop $0
]=])
# CPack passes these lines on as they stand only when they hold no quotes: the commands
# themselves are in files.
set(CPACK_NSIS_EXTRA_PREINSTALL_COMMANDS "!include FileFunc.nsh")
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS "!include ${PROJECT_BINARY_DIR}/nsis/install.nsh")
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "!include ${PROJECT_BINARY_DIR}/nsis/uninstall.nsh")
include(CPack)
