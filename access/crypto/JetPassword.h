#pragma once
// The database password of a Jet3 (Access 97) or Jet4 (Access 2000-2003) file. It is
// stored in the header page; Jet4 masks it further with the creation date. Access
// compares it exactly, so case matters ("Password" does not open a file protected by
// "password"), and a file without a password opens whatever password is given.

#include "access/crypto/Bytes.h"

namespace velmora::access::crypto {

class HeaderPage;

// Whether `givenUtf16` (UTF-16LE) opens the file.
bool jetPasswordMatches(const HeaderPage& header, ByteView givenUtf16);

}  // namespace velmora::access::crypto
