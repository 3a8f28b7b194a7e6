#pragma once

// True when the file opens for reading; an empty path never does. Both the creation
// code and the post-build actions ask it, so it stands apart from either.
bool FileReadable(const char *path);
