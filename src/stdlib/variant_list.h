#pragma once
// TList: a list of values (objects, numbers, anything a variable holds). Items compare by
// identity: the same object, or the same value of the same type. An empty value, null, a
// freed or missing object and the number 0 count as nil (Pack removes them).

#include "script/native_object.h"
#include "script/value.h"

#include <vector>

namespace vorlan::stdlib {

class VariantList : public script::NativeObject {
public:
    VariantList() : NativeObject("TList") {}

    int count() const { return static_cast<int>(items_.size()); }
    // Growing adds nil items; shrinking drops the last ones.
    void setCount(int count);
    int capacity() const { return capacity_; }
    void setCapacity(int capacity);

    const script::Value& get(int index) const;
    void put(int index, script::Value value);
    int add(script::Value value);
    void insert(int index, script::Value value);
    void remove(int index);
    void clear();
    void exchange(int first, int second);
    void move(int from, int to);
    int indexOf(const script::Value& value) const;
    // Removes the first equal item: its former index, or -1.
    int removeValue(const script::Value& value);
    // Removes the first equal item and gives it back (nil when missing).
    script::Value extract(const script::Value& value);
    const script::Value& first() const { return get(0); }
    const script::Value& last() const { return get(count() - 1); }
    void pack();

    static bool isNil(const script::Value& value);

private:
    std::vector<script::Value> items_;
    int capacity_ = 0;
};

} // namespace vorlan::stdlib
