#pragma once

#include <QString>

class HostWindow;

// A scripted run of the host: reads the script `path` ('-': standard input;
// a regular file of at most 16 MB), runs it on `window` with ScriptRunner
// and writes its events, one JSON object a line, on standard output;
// reports and screenshots go into `outputDir`, made when missing. Returns
// the run's exit status: 0 the script ran to its end, 2 a line could not be
// read or carried out (an `error` event says which), 1 the script could not
// be read or the events could not be written (said on standard error).
int RunScript(HostWindow& window, const QString& path, const QString& outputDir);
