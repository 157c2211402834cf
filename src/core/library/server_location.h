// Libraries on a PostgreSQL server are named by libpq connection strings: an address
// ("postgresql://user@host:port/database?sslmode=verify-full", also "postgres://") or
// key=value pairs ("host=... dbname=..."). What is not given comes from the PG* variables,
// a service file and ~/.pgpass, as libpq reads them.
//
// A password may be written into a connection string. The program keeps it to connect and
// never shows it: every text naming a location shows it as RedactedLocation() gives it.
#pragma once

#include <string>
#include <string_view>

namespace qx {

// True for "postgresql://..." and "postgres://..." (in any case).
bool IsServerLocation(std::string_view location);

// The location with the value of every password (password, sslpassword) replaced by "***":
// in an address the password of its user part and of its parameters, in key=value pairs the
// values of those keys. Anything else comes back unchanged.
std::string RedactedLocation(std::string_view location);

// text with every password that location holds (as written there) replaced by "***": for the
// words of a library that may quote a part of the location.
std::string WithoutPasswords(std::string text, std::string_view location);

}  // namespace qx
