#pragma once
// Address and host-name texts, read alike on every system. The system's own
// parsers read more than a dotted quad (octal, hex, fewer parts, text after a
// blank); what a user types goes through these first.
#include <cstdint>
#include <string_view>

namespace winsock {

// Exactly four decimal numbers of 0 to 255 separated by dots, nothing before
// or after, in network order; all ones (INADDR_NONE) for any other text.
// Leading zeros are decimal ("010" is ten): a typed address never means
// octal here. The header leaves out the sockets declarations, so that the
// POSIX side of the library can use it too.
std::uint32_t DottedQuadAddress(const char* text);

// True for text that is no DNS name: a character other than a letter, digit,
// '-', '_' or '.', an empty label, or a last label of digits only (no
// top-level domain is numeric). One final dot, that of a fully qualified
// name, is not a label of its own.
bool CannotBeDnsName(std::string_view name);

// True for text that the lenient number readers take as an address: one to
// four parts joined by dots, each decimal, octal or 0x-hex ("127.1", "0x7f").
bool IsNumberForm(std::string_view text);

// Whether a text may be handed to the system's resolver. Where the resolver
// is this library's own, it is always; elsewhere only a dotted quad and text
// that can be a DNS name and no number form.
bool MayResolve(const char* text);

}  // namespace winsock
