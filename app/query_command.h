#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "platform/framework/cstring.h"
#include "platform/winsock/scoped_startup.h"

// quillmar --query, --query-file and --query-list: the server query without
// the dialog. Results go to standard output; the texts the dialog would show
// in message boxes go to standard error. Each returns the exit status: 0
// when every server's status reply was decoded, 1 otherwise.

// How the results are printed: text (one server's fields, or a table of
// several), JSON (one object, or an array of several), or one line of JSON
// per server as each is done.
enum class ResultForm { Text, Json, JsonLines };

ResultForm ResultFormOf(const CommandLine& line);

// False, said on standard error, when the sockets library did not start.
bool SocketsStarted(const winsock::ScopedStartup& sockets);

// One server: the dialog's own steps, one after the other.
int RunQueryCommand(const std::string& address, ResultForm form);

// Several servers, asked at once (at most `parallel` at a time), each
// printed as it is done: in the order given (the JSON lines in the order
// they are done).
int RunManyQueriesCommand(const std::vector<CString>& addresses, ResultForm form, std::size_t parallel);

// --query's addresses and --query-file's files, in the order given: one
// address alone is one server, anything more several.
int RunQuerySourcesCommand(const std::vector<AddressSource>& sources, ResultForm form, std::size_t parallel);

// Every address of the address list, in the list's order, as several servers.
int RunAddressListQueryCommand(ResultForm form, std::size_t parallel);
