#pragma once

class QString;

// An "Error" box whose text is shown as it is, never read as rich text: it may quote a device's
// text or a list's cell.
void showPlainError(const QString &text);
