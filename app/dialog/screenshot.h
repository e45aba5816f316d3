#pragma once
#include <QString>
#include <string>

// Runs the application with its main dialog saved as a PNG picture once the
// dialog has been initialised and shown; the dialog then closes at once and
// the program ends. Message boxes go to standard error instead of the screen.
// Returns 0 when the picture was written, 1 otherwise (said on standard
// error, naming the file).
int SaveMainDialogPicture(const QString& file);

// Runs "Ping Server" in the main dialog for one address, as quillmar --query
// does, prints the result the same way, and saves a picture of the dialog as
// the query left it. Returns 0 when the server's status reply was decoded and
// the picture was written, 1 otherwise.
int SaveQueryPicture(const std::string& address, bool json, const std::string& file);
