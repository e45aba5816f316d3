#pragma once
#include <QString>

enum class QueryResultForm { Text, Json };

// quillmar --query ADDRESS [--json]: runs "Ping Server" of the main dialog,
// offscreen, for one address and prints what the dialog shows. The texts the
// dialog would show in message boxes go to standard error as they come.
// With a picture file, the dialog is also saved there (PNG) as the query
// left it. Returns 0 when the server's status reply was decoded (and the
// picture, if asked for, was saved), 1 otherwise.
int RunQueryCommand(const QString& address, QueryResultForm form, const QString& pictureFile = {});
