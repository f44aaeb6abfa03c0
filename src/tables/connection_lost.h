#pragma once
// Engines whose tables live behind a connection (a database server) mark their errors with this
// class as well, so that the layers above can tell a broken connection from other failures:
// what the call was to write was not written, and a neutral answer (a count of 0, a blank
// field) would pass for the table's contents.

#include <exception>

namespace vorlan::tables {

class ConnectionFailure {
public:
    virtual ~ConnectionFailure() = default;
    virtual bool connectionLost() const = 0;
};

inline bool connectionLost(const std::exception& e) {
    const auto* failure = dynamic_cast<const ConnectionFailure*>(&e);
    return failure != nullptr && failure->connectionLost();
}

} // namespace vorlan::tables
