#pragma once
#include <cstddef>
#include <string>
#include <vector>

// quillmar --query and --query-list: the server query without the dialog.
// Results go to standard output; the texts the dialog would show in message
// boxes go to standard error. Each returns the exit status: 0 when every
// server's status reply was decoded, 1 otherwise.

// One server: the dialog's own steps, one after the other.
int RunQueryCommand(const std::string& address, bool json);

// Several servers, asked at once (at most `parallel` at a time); results in
// the order given.
int RunManyQueriesCommand(const std::vector<std::string>& addresses, bool json, std::size_t parallel);

// Every address of the address list, in the list's order, as several servers.
int RunAddressListQueryCommand(bool json, std::size_t parallel);
