#pragma once
// The data link of an engine access component: tells it when its data set opens or closes, or
// when its data source gets another data set.

#include "data/data_set.h"

namespace vorlan::data {

class TDbfAccess;

class TDbfAccessLink : public DataLink {
public:
    explicit TDbfAccessLink(TDbfAccess& owner) : owner_(owner) {}
    TDbfAccess& owner() const { return owner_; }

    void activeChanged(bool active) override;

private:
    TDbfAccess& owner_;
};

} // namespace vorlan::data
