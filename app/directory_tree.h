// Removal of the run's working directory.
#pragma once

#include <string>

// Deletes dir and everything in it, empty or not. Whatever cannot be deleted now (a file
// in use or read-only) is scheduled for deletion when Windows restarts. Links to other
// folders are removed without touching what they point to. Nothing is reported.
void DeleteDirectoryTree(const std::wstring& dir);
