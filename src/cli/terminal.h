#pragma once

// orvane-find's standard streams, as each platform has them.

// Byte for byte: Windows' text mode would turn the CRLF that CSV ends its rows with into CR CR LF.
void useBinaryStandardStreams();
bool standardOutputIsTerminal();
