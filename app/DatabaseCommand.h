#pragma once

#include "HostConfig.h"

// `rclhost --db URI|PATH --create-db [--sample ROWS]`: creates the report
// tables on a server database, or a new SQLite file with them, from the
// scripts of the reports folder, and the sample when asked, in one
// transaction; refuses a database that already has them, or a file that
// exists, changing nothing. The password comes from libpq's environment or
// password file (no prompt: the command may run where nobody can answer).
// Says what it did on standard output, or why not on standard error; gives
// the exit status: 0 done, 1 not done.
int CreateDatabaseCommand(const HostConfig& config, int sampleRows);
