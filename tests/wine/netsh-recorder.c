// Stands in for Windows' netsh.exe in a Wine prefix, where the real one changes nothing: appends
// its arguments, tab-separated, as a line (LF) to C:\netsh.log, so that a test sees what was asked.
#include <stdio.h>

int main(int argc, char *argv[])
{
    FILE *log = fopen("C:\\netsh.log", "ab");
    if (!log)
        return 1;
    for (int i = 1; i < argc; ++i)
        fprintf(log, i == 1 ? "%s" : "\t%s", argv[i]);
    fputc('\n', log);
    return fclose(log) == 0 ? 0 : 1;
}
