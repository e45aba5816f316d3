#include "query/address_book_message.h"

#include <vector>

#include "platform/framework/user_folders.h"
#include "query/address_book.h"
#include "query/address_book_file.h"

namespace {

bool Exists(const CString& path) { return framework::PathExists(path.str()); }

CString PlacesLookedIn(const std::vector<CString>& places) {
  CString text("It was looked for in:");
  for (const CString& place : places) text += "\n" + place;
  return text;
}

// Run from a build tree, the example is not where the package puts it.
CString ExampleToStartFrom() {
  const CString example(ExampleAddressBookPath());
  if (Exists(example)) return "To start a list, copy the example " + example + " to one of these places and edit it.";
  return "The example that the package installs as " + example +
         " is not installed here; in the program's source it is docs/address.ini.";
}

}  // namespace

std::string ExampleAddressBookPath() { return framework::PackagedExample(VQ_EXAMPLE_ADDRESS_BOOK, "address.ini"); }

CString AddressBookOpenErrorText() {
  const std::vector<CString> places = AddressBookPlaces();
  for (const CString& place : places) {
    if (Exists(place)) {
      return CString(kAddressBookOpenError) + "\n\n" + place + " is there, but it could not be opened.";
    }
  }
  return CString(kAddressBookOpenError) + "\n\n" + PlacesLookedIn(places) + "\n\n" + ExampleToStartFrom();
}
