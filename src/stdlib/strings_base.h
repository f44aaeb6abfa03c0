#pragma once
// TStrings: an ordered list of texts, each with an object beside it, as scripts use it. A
// derived class stores the items (TStringList keeps them in memory); the text forms, names and
// values, files, streams and copying are built here on the few primitives it provides.

#include "script/native_object.h"
#include "script/value.h"

#include <string>
#include <string_view>
#include <vector>

namespace vorlan::stdlib {

class Stream;

class Strings : public script::NativeObject {
public:
    explicit Strings(std::string className) : NativeObject(std::move(className)) {}

    // ---- the primitives a list provides
    virtual int count() const = 0;
    virtual std::string get(int index) const = 0;
    virtual void insertItem(int index, std::string text, script::Value object) = 0;
    virtual void remove(int index) = 0;
    // These have plain defaults: objects are not kept, a text is replaced by delete and insert.
    virtual void put(int index, std::string text);
    virtual script::Value object(int index) const;
    virtual void putObject(int index, script::Value object);
    virtual void clear();
    virtual int add(std::string text, script::Value object = {});
    virtual void exchange(int first, int second);
    // Positions by text (-1 when missing): the first equal text; the first line whose name
    // (the part before the separator) is equal.
    virtual int indexOf(std::string_view text) const;
    virtual int indexOfName(std::string_view name) const;
    int indexOfObject(const script::Value& object) const;
    // How the list compares texts: the Czech order without case, unless the list says otherwise.
    virtual int compareStrings(std::string_view a, std::string_view b) const;

    void insert(int index, std::string text) { insertItem(index, std::move(text), {}); }
    // Puts the items into the list's order (stable: equal texts keep their order).
    virtual void sort();
    void move(int from, int to);

    // Every text, and replacing every item by texts without objects.
    std::vector<std::string> texts() const;
    virtual void setTexts(std::vector<std::string> texts);

    // ---- text forms
    // Each line followed by CR LF; setting splits at CR LF, CR or LF.
    std::string text() const;
    void setText(std::string_view text);
    std::string delimitedText() const;
    void setDelimitedText(std::string_view text);
    // DelimitedText with a comma and double quotes, whatever Delimiter and QuoteChar say.
    std::string commaText() const;
    void setCommaText(std::string_view text);
    char delimiter() const { return delimiter_; }
    void setDelimiter(char c) { delimiter_ = c; }
    char quoteChar() const { return quoteChar_; }
    void setQuoteChar(char c) { quoteChar_ = c; }
    char nameValueSeparator() const { return separator_; }
    void setNameValueSeparator(char c) { separator_ = c; }

    // ---- names and values ("Name=Value" lines)
    std::string name(int index) const;
    std::string valueFromIndex(int index) const;
    void setValueFromIndex(int index, std::string_view value);
    std::string value(std::string_view name) const;
    // An empty value deletes the line; a name not in the list is added at the end.
    void setValue(std::string_view name, std::string_view value);

    // ---- copying
    // Texts and objects of another list replace this one's.
    void assign(const Strings& from);
    void addStrings(const Strings& from);
    bool equals(const Strings& other) const;

    // ---- files and streams: Windows-1250 text, lines ended by CR LF
    void loadFromFile(std::string_view programPath);
    void saveToFile(std::string_view programPath) const;
    // From the stream's position to its end; to the stream at its position.
    void loadFromStream(Stream& stream);
    void saveToStream(Stream& stream) const;

    // ---- changes in bulk
    void beginUpdate();
    void endUpdate();
    int updateCount() const { return updateCount_; }

protected:
    // Raises the list's index error unless 0 <= index < limit.
    static void checkIndex(int index, int limit);
    // Told when the first BeginUpdate starts and the last EndUpdate ends a bulk change.
    virtual void setUpdateState(bool /*updating*/) {}

private:
    char delimiter_ = ',';
    char quoteChar_ = '"';
    char separator_ = '=';
    int updateCount_ = 0;
};

} // namespace vorlan::stdlib
