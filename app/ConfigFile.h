#pragma once

#include <QString>

struct HostConfig;

// The host's configuration file, an INI file:
//
//   [reports]
//   query_time_limit = 300    ; seconds a report query may run; 0: no limit
//   [database]
//   url = postgresql://relatorio@db.empresa/relatorios   ; as --db takes it
//   [dates]
//   first_day_of_week = domingo    ; or segunda: where the presets' weeks start
//   [screens]
//   remember = true    ; screens open with the values of their last closing
//
// Everything the file can hold is read here, in one place, from one table of
// keys; a key that is absent keeps its default. The file is read strictly, as
// a mistyped key would otherwise silently change where the reports come
// from: section and key names are lower case as above; a line is a comment
// (';' or '#' first, or ';' after a blank ends the line), a [section] or
// key = value, the value taken as written (no quotes), in UTF-8.

// $XDG_CONFIG_HOME/rclhost/rclhost.conf (XDG_CONFIG_HOME defaults to
// ~/.config).
QString DefaultConfigFile();

// Reads `path` into `config`. When `required` is false (the default file) a
// missing file leaves everything as it was. Throws Exception, in Portuguese
// and naming the file (and the key), when the file cannot be read (it must be
// a regular file of at most 64 KB), or at its first line that is not one of
// the above, names an unknown section or key (with the nearest known one),
// repeats a key, or gives a value that cannot be used: a number out of range
// or one that would round to another meaning (a time limit under a
// millisecond, which would mean none), a relative file path. The message
// names the file and the line; `config` is then left as it was.
void ReadConfigFile(const QString& path, bool required, HostConfig& config);
