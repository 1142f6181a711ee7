#pragma once

#include <QString>

struct HostConfig;

// The host's configuration file, an INI file (read with QSettings):
//
//   [reports]
//   query_time_limit = 300    ; seconds a report query may run; 0: no limit
//   [database]
//   url = postgresql://relatorio@db.empresa/relatorios   ; as --db takes it
//   [dates]
//   first_day_of_week = domingo    ; or segunda: where the presets' weeks start
//
// Everything the file can hold is read here, in one place; a key that is
// absent keeps its default.

// $XDG_CONFIG_HOME/rclhost/rclhost.conf (XDG_CONFIG_HOME defaults to
// ~/.config).
QString DefaultConfigFile();

// Reads `path` into `config`. When `required` is false (the default file) a
// missing file leaves everything as it was. Throws Exception, in Portuguese
// and naming the file (and the key), when the file cannot be read (it must be
// a regular file of at most 64 KB), is not a valid INI file, or holds a value
// that cannot be used; `config` is then left as it was.
void ReadConfigFile(const QString& path, bool required, HostConfig& config);
