#pragma once

#include "DirectorySync.h"
#include "SyncStore.h"
#include "SyncSummary.h"

#include <functional>
#include <optional>
#include <vector>

class DataConnection;

// Syncs linked directories one after the other, each with its account's password.
class BookSync
{
public:
    // The password for a link's account, or none (the user gave none: that directory is left for later).
    using PasswordSource = std::function<std::optional<QString>(const SyncLink&)>;

    // Whether the user agreed to plain http to a link's server; a link to another machine over
    // plain http that nobody agreed to is not synced, and its password is not even looked up.
    using PlainHttpAgreed = std::function<bool(const SyncLink&)>;

    static SyncSummary run(DataConnection& connection, const std::vector<SyncLink>& links,
                           const PasswordSource& password, const PlainHttpAgreed& plainHttpAgreed,
                           const DirectorySync::Progress& progress = {}, int timeoutMs = 60000,
                           const std::function<bool()>& cancelRequested = {});
};
