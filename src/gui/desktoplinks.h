#pragma once

class QString;

// What the desktop is asked to open for the documents: calls, mail and web pages, never local
// files or shares.
namespace DesktopLinks {

// Opens the address with the desktop's handler for its scheme; any other scheme is refused
// with one line on standard output.
void open(const QString& address);

// Opens the number's tel: address; false, with nothing opened, when the desktop has no program
// for such addresses.
bool dial(const QString& phone);

} // namespace DesktopLinks
