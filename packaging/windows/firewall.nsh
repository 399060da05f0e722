; Windows Defender Firewall lets the devices' unicast replies to a broadcast in for about three
; seconds, or not at all where a policy says so: inbound UDP rules for our programs let them in.
; netsh is on every Windows; the uninstaller deletes what the installer added.

!macro OrvaneAddFirewallRule NAME PROGRAM
    nsExec::Exec '"$SYSDIR\netsh.exe" advfirewall firewall add rule name="${NAME}" dir=in action=allow protocol=UDP program="$INSTDIR\${PROGRAM}" enable=yes'
    Pop $0
!macroend

!macro OrvaneDeleteFirewallRule NAME PROGRAM
    nsExec::Exec '"$SYSDIR\netsh.exe" advfirewall firewall delete rule name="${NAME}" program="$INSTDIR\${PROGRAM}"'
    Pop $0
!macroend

; VERB: Add or Delete
!macro OrvaneFirewallRules VERB
    !insertmacro Orvane${VERB}FirewallRule "Orvane Finder" orvane-finder.exe
    !insertmacro Orvane${VERB}FirewallRule "Orvane Finder command line" orvane-find.exe
!macroend
