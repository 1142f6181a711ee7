#pragma once

#include <QByteArray>
#include <QString>

// Where a scripted run writes its events, one JSON object a line: a file
// descriptor (standard output), written a whole line at a time and at once,
// so each event is out before the next action runs. The first failure (a
// full disk, a reader that closed the pipe, a closed descriptor) is kept and
// nothing more is written: a run whose events were lost must not end as if
// they had been read.
class EventOutput {
public:
    explicit EventOutput(int fd) : fd_(fd) {}

    // Writes `line` and a line break, unless an earlier write failed.
    void WriteLine(const QByteArray& line);
    bool Failed() const { return error_ != 0; }
    // What failed, for standard error: "Não foi possível escrever os eventos
    // do script na saída padrão: o disco está cheio."
    QString Failure() const;

private:
    int fd_;
    int error_ = 0;
};
