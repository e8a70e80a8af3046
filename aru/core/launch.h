// Starting a program or opening a document through the shell, from the current directory.
#pragma once

// Returns true when the shell reports success (a result above 32).
bool LaunchFile(const char* path);
