#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// One line of a script: a command and its arguments. Arguments are separated
// by spaces; one with spaces goes in double quotes ("" is an empty argument;
// \" and \\ stand for a quote and a backslash inside quotes). Blank lines and
// lines starting with '#' are skipped.
struct ScriptLine {
    int number = 0;
    QString command;
    QStringList args;
};

// A line that cannot be read (an unterminated quote): where and what.
struct ScriptSyntaxError {
    int line;
    QString text;
};

// Throws ScriptSyntaxError.
std::vector<ScriptLine> ReadScript(const QString& text);
