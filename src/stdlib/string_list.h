#pragma once
// TStringList: texts and objects in memory. Unsorted, new items go where they are put; sorted,
// every text goes to its place in the list's order (the Czech order, with or without case) and
// Duplicates says what an equal text does. Sorting 100,000 texts takes a few tens of
// milliseconds: each text is turned into a collation key once and the keys are compared.

#include "stdlib/first_index.h"
#include "stdlib/strings_base.h"

namespace vorlan::stdlib {

enum class Duplicates : int { Ignore = 0, Accept = 1, Error = 2 };

class StringList : public Strings {
public:
    StringList() : Strings("TStringList") {}

    int count() const override { return static_cast<int>(items_.size()); }
    std::string get(int index) const override;
    const std::string& at(int index) const;
    void put(int index, std::string text) override;
    script::Value object(int index) const override;
    void putObject(int index, script::Value object) override;
    // Raises the sorted-list error when the list is sorted.
    void insertItem(int index, std::string text, script::Value object) override;
    void remove(int index) override;
    void clear() override;
    // Sorted: at the text's place, or (Duplicates) the equal text's index or an error.
    int add(std::string text, script::Value object = {}) override;
    void exchange(int first, int second) override;
    int indexOf(std::string_view text) const override;
    int indexOfName(std::string_view name) const override;
    int compareStrings(std::string_view a, std::string_view b) const override;
    void setTexts(std::vector<std::string> texts) override;

    // Binary search in a sorted list: true when found; `index` is where the text is or belongs
    // (the first of equal texts).
    bool find(std::string_view text, int& index) const;
    void sort() override;

    bool sorted() const { return sorted_; }
    void setSorted(bool sorted);
    Duplicates duplicates() const { return duplicates_; }
    void setDuplicates(Duplicates d) { duplicates_ = d; }
    bool caseSensitive() const { return caseSensitive_; }
    void setCaseSensitive(bool caseSensitive);

private:
    struct Item {
        std::string text;
        script::Value object;
    };
    // The key under which a text (or a name) is the same as another.
    std::string sameKey(std::string_view text) const;
    // A name key for a line, or false when the line has no name.
    bool nameKey(std::string_view line, std::string& key) const;
    void dropIndexes() const;
    void insertAt(int index, std::string text, script::Value object);

    std::vector<Item> items_;
    bool sorted_ = false;
    bool caseSensitive_ = false;
    Duplicates duplicates_ = Duplicates::Ignore;
    mutable FirstIndex byText_;
    mutable FirstIndex byName_;
    mutable char indexedSeparator_ = '=';
};

} // namespace vorlan::stdlib
