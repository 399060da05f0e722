#pragma once

// orvane-find's standard streams, as each platform has them.

// Byte for byte: Windows' text mode would turn the CRLF that CSV ends its rows with into CR CR LF.
void useBinaryStandardStreams();
bool standardOutputIsTerminal();
bool standardErrorIsTerminal();

// From now on Ctrl-C and SIGTERM (on Windows also Ctrl-Break and closing the console) only
// set what stopSignalled() tells, so that a long run can end as if it had finished.
void catchStopSignals();
bool stopSignalled();
