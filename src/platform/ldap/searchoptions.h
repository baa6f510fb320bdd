#pragma once

#include "platform/directory.h"

namespace ldapbackend {

// The search properties of a directory query, read into what an LDAP search needs.
struct SearchOptions
{
    enum class Scope { Base = 0, OneLevel = 1, Subtree = 2 };
    Scope scope = Scope::Subtree;
    bool chaseReferrals = true; // the providers' default follows referrals
    int pageSize = 0;           // 0: one answer, unpaged
    int sizeLimit = 0;          // 0: every row
    int timeoutSeconds = 0;     // 0: the connection's time-out
};

// Reads "searchscope", "cache results", "Chase Referrals", "Page Size", "Size Limit" and
// "Timeout" (names ignoring case). Throws PlatformError for an unknown name (ItemNotFound)
// or a value out of range (InvalidArgument), naming both.
SearchOptions readSearchOptions(const platform::SearchProperties &properties);

} // namespace ldapbackend
