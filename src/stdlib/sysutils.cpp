// The SYSUTILS unit: conversions, strings, Format, dates and times, files and folders, the
// format settings and the exception classes, one binding a line. The routines behind the lines
// live in the sysutils_*.cpp files by theme.
#include "core/civil_date.h"
#include "core/cp1250.h"
#include "stdlib/stdlib.h"

#include "script/bind.h"
#include "script/open_array.h"
#include "script/raised_exception.h"
#include "stdlib/exceptions.h"
#include "stdlib/file_search.h"
#include "stdlib/float_text.h"
#include "stdlib/format_settings.h"
#include "stdlib/sysutils_convert.h"
#include "stdlib/sysutils_dates.h"
#include "stdlib/sysutils_files.h"
#include "stdlib/sysutils_format.h"
#include "stdlib/sysutils_strings.h"

namespace vorlan::stdlib {

using script::Binder;
using script::ClassBinder;
using script::Currency;
using script::NativeObject;
using script::Value;

namespace {

// Routines whose last parameters may be left out, in the raw shape.
// A set of characters: a text of them, or an open array of one-character texts ([' ', '-']).
std::string charSet(const Value& v) {
    if (!v.isArray()) return v.toString();
    std::string chars;
    for (const Value& item : script::OpenArray(v))
        chars += item.toString();
    return chars;
}

void wrapTextRaw(NativeObject*, std::span<Value> a, Value& r) {
    // WrapText(Line, MaxCol) or WrapText(Line, BreakStr, BreakChars, MaxCol).
    if (a.size() == 2)
        r = Value(wrapText(a[0].toString(), "\r\n", " -\t", a[1].toInt()));
    else if (a.size() == 4)
        r = Value(wrapText(a[0].toString(), a[1].toString(), charSet(a[2]), a[3].toInt()));
    else
        throw script::ScriptException(czech("WrapText: 2 nebo 4 parametry"));
}

void decodeDateInto(script::DateTime d, std::int32_t& year, std::int32_t& month,
                    std::int32_t& day) {
    const CivilDate c = decodeDate(d);
    year = c.year, month = c.month, day = c.day;
}

bool isLeapYearOf(std::int32_t year) {
    return isLeapYear(year);
}

void decodeTimeInto(script::DateTime t, std::int32_t& hour, std::int32_t& minute,
                    std::int32_t& second, std::int32_t& ms) {
    const ClockTime c = decodeTime(t);
    hour = c.hour, minute = c.minute, second = c.second, ms = c.millisecond;
}

template <class Try> auto withDefault(Try attempt) {
    return [attempt](std::string_view s, script::DateTime fallback) {
        script::DateTime d;
        return attempt(s, d) ? d : fallback;
    };
}

void bindConversions(Binder& b) {
    b.bind("IntToStr", "function(Value: Variant): string", &intToStr);
    b.bind("IntToHex", "function(Value: Variant; Digits: Integer): string", &intToHex);
    b.bind("StrToInt", "function(const S: string): Integer", &strToInt);
    b.bind("StrToInt64", "function(const S: string): Int64", &strToInt64);
    b.bind("StrToIntDef", "function(const S: string; Default: Integer): Integer", &strToIntDef);
    b.bind("TryStrToInt", "function(const S: string; var Value: Integer): Boolean", &tryStrToInt);
    b.bind("FloatToStr", "function(Value: Extended): string", &floatToStr);
    b.bind("FloatToStrF",
           "function(Value: Extended; Format: Integer; Precision, Digits: Integer): string",
           &floatToStrF);
    b.bind("FormatFloat", "function(const Format: string; Value: Extended): string", &formatFloat);
    b.bind("StrToFloat", "function(const S: string): Extended", &strToFloat);
    b.bind("StrToFloatDef", "function(const S: string; Default: Extended): Extended",
           &strToFloatDef);
    b.bind("TryStrToFloat", "function(const S: string; var Value: Extended): Boolean",
           &tryStrToFloat);
    b.bind("CurrToStr", "function(Value: Currency): string", &currToStr);
    b.bind("CurrToStrF", "function(Value: Currency; Format: Integer; Digits: Integer): string",
           &currToStrF);
    b.bind("FormatCurr", "function(const Format: string; Value: Currency): string", &formatCurr);
    b.bind("StrToCurr", "function(const S: string): Currency", &strToCurr);
    b.bind("StrToCurrDef", "function(const S: string; Default: Currency): Currency", &strToCurrDef);
    b.bind("BoolToStr", "function(B: Boolean; UseBoolStrs: Boolean = False): string", &boolToStr);
    b.bind("StrToBool", "function(const S: string): Boolean", &strToBool);
    b.bind("StrToBoolDef", "function(const S: string; Default: Boolean): Boolean", &strToBoolDef);
    b.bind("Format", "function(const Format: string; const Args: array of const): string",
           &formatText);
    b.bind("FmtStr",
           "procedure(var Result: string; const Format: string; const Args: array of const)",
           [](std::string& r, std::string_view f, const Value& a) { r = formatText(f, a); });
    b.registry().registerConst("ffGeneral", Value(static_cast<std::int32_t>(FloatFormat::General)));
    b.registry().registerConst("ffExponent",
                               Value(static_cast<std::int32_t>(FloatFormat::Exponent)));
    b.registry().registerConst("ffFixed", Value(static_cast<std::int32_t>(FloatFormat::Fixed)));
    b.registry().registerConst("ffNumber", Value(static_cast<std::int32_t>(FloatFormat::Number)));
    b.registry().registerConst("ffCurrency",
                               Value(static_cast<std::int32_t>(FloatFormat::Currency)));
}

void bindStrings(Binder& b) {
    b.bind("UpperCase", "function(const S: string): string", &upperCaseAscii);
    b.bind("LowerCase", "function(const S: string): string", &lowerCaseAscii);
    b.bind("AnsiUpperCase", "function(const S: string): string", &ansiUpperCase);
    b.bind("AnsiLowerCase", "function(const S: string): string", &ansiLowerCase);
    b.bind("Trim", "function(const S: string): string", &trim);
    b.bind("TrimLeft", "function(const S: string): string", &trimLeft);
    b.bind("TrimRight", "function(const S: string): string", &trimRight);
    b.bind("CompareStr", "function(const S1, S2: string): Integer", &compareStr);
    b.bind("CompareText", "function(const S1, S2: string): Integer", &compareText);
    b.bind("AnsiCompareStr", "function(const S1, S2: string): Integer", &ansiCompareStr);
    b.bind("AnsiCompareText", "function(const S1, S2: string): Integer", &ansiCompareText);
    b.bind("SameText", "function(const S1, S2: string): Boolean",
           [](std::string_view x, std::string_view y) { return compareText(x, y) == 0; });
    b.bind("AnsiSameText", "function(const S1, S2: string): Boolean",
           [](std::string_view x, std::string_view y) { return ansiCompareText(x, y) == 0; });
    b.bind("AnsiSameStr", "function(const S1, S2: string): Boolean",
           [](std::string_view x, std::string_view y) { return x == y; });
    b.bind("QuotedStr", "function(const S: string): string", &quotedStr);
    b.bind("AnsiQuotedStr", "function(const S: string; Quote: Char): string", &ansiQuotedStr);
    b.bind("AnsiDequotedStr", "function(const S: string; AQuote: Char): string", &ansiDequotedStr);
    b.bind("StringReplace",
           "function(const S, OldPattern, NewPattern: string; Flags: Variant): string",
           &stringReplace);
    b.bind("AdjustLineBreaks", "function(const S: string): string", &adjustLineBreaks);
    b.bind("AnsiPos", "function(const Substr, S: string): Integer", &ansiPos);
    b.bind("LastDelimiter", "function(const Delimiters, S: string): Integer", &lastDelimiter);
    b.bind("IsDelimiter", "function(const Delimiters, S: string; Index: Integer): Boolean",
           &isDelimiter);
    b.bindVariadic("WrapText",
                   "function(const Line, BreakStr: string; BreakChars: Variant; MaxCol: Integer): "
                   "string",
                   &wrapTextRaw);
    b.registry().registerConst("rfReplaceAll", Value(kReplaceAll));
    b.registry().registerConst("rfIgnoreCase", Value(kIgnoreCase));
}

void bindDates(Binder& b) {
    b.bind("Now", "function: TDateTime", &now);
    b.bind("Date", "function: TDateTime", &today);
    b.bind("Time", "function: TDateTime", &timeOfDay);
    b.bind("EncodeDate", "function(Year, Month, Day: Word): TDateTime", &encodeDate);
    b.bind("EncodeTime", "function(Hour, Min, Sec, MSec: Word): TDateTime", &encodeTime);
    b.bind("DecodeDate", "procedure(Date: TDateTime; var Year, Month, Day: Word)", &decodeDateInto);
    b.bind("DecodeTime", "procedure(Time: TDateTime; var Hour, Min, Sec, MSec: Word)",
           &decodeTimeInto);
    b.bind("DayOfWeek", "function(Date: TDateTime): Integer", &dayOfWeek);
    b.bind("IsLeapYear", "function(Year: Word): Boolean", &isLeapYearOf);
    b.bind("IncMonth", "function(Date: TDateTime; NumberOfMonths: Integer = 1): TDateTime",
           &incMonth);
    b.bind("DateToStr", "function(Date: TDateTime): string", &dateToStr);
    b.bind("TimeToStr", "function(Time: TDateTime): string", &timeToStr);
    b.bind("DateTimeToStr", "function(DateTime: TDateTime): string", &dateTimeToStr);
    b.bind("FormatDateTime", "function(const Format: string; DateTime: TDateTime): string",
           &formatDateTime);
    b.bind(
        "DateTimeToString",
        "procedure(var Result: string; const Format: string; DateTime: TDateTime)",
        [](std::string& r, std::string_view f, script::DateTime d) { r = formatDateTime(f, d); });
    b.bind("StrToDate", "function(const S: string): TDateTime", &strToDate);
    b.bind("StrToTime", "function(const S: string): TDateTime", &strToTime);
    b.bind("StrToDateTime", "function(const S: string): TDateTime", &strToDateTime);
    b.bind("StrToDateDef", "function(const S: string; Default: TDateTime): TDateTime",
           withDefault(&tryStrToDate));
    b.bind("StrToTimeDef", "function(const S: string; Default: TDateTime): TDateTime",
           withDefault(&tryStrToTime));
    b.bind("StrToDateTimeDef", "function(const S: string; Default: TDateTime): TDateTime",
           withDefault(&tryStrToDateTime));
    b.bind("TryStrToDate", "function(const S: string; var Value: TDateTime): Boolean",
           &tryStrToDate);
    b.bind("TryStrToTime", "function(const S: string; var Value: TDateTime): Boolean",
           &tryStrToTime);
    b.bind("TryEncodeDate", "function(Year, Month, Day: Word; var Date: TDateTime): Boolean",
           &tryEncodeDate);
    b.bind("TryEncodeTime", "function(Hour, Min, Sec, MSec: Word; var Time: TDateTime): Boolean",
           &tryEncodeTime);
}

void bindFiles(Binder& b) {
    b.bind("DirectoryExists", "function(const Directory: string): Boolean", &directoryExists);
    b.bind("DeleteFile", "function(const FileName: string): Boolean", &deleteFile);
    b.bind("RenameFile", "function(const OldName, NewName: string): Boolean", &renameFile);
    b.bind("ForceDirectories", "function(Dir: string): Boolean", &forceDirectories);
    b.bind("ExtractFileName", "function(const FileName: string): string", &extractFileName);
    b.bind("ExtractFilePath", "function(const FileName: string): string", &extractFilePath);
    b.bind("ExtractFileDir", "function(const FileName: string): string", &extractFileDir);
    b.bind("ExtractFileDrive", "function(const FileName: string): string", &extractFileDrive);
    b.bind("ExtractFileExt", "function(const FileName: string): string", &extractFileExt);
    b.bind("ChangeFileExt", "function(const FileName, Extension: string): string", &changeFileExt);
    b.bind({"IncludeTrailingBackslash", "IncludeTrailingPathDelimiter"},
           "function(const S: string): string", &includeTrailingBackslash);
    b.bind({"ExcludeTrailingBackslash", "ExcludeTrailingPathDelimiter"},
           "function(const S: string): string", &excludeTrailingBackslash);
    b.bind("ExpandFileName", "function(const FileName: string): string", &expandFileName);
    b.bind("FileSearch", "function(const Name, DirList: string): string", &fileSearch);
    b.bind("FileAge", "function(const FileName: string): Integer", &fileAge);
    b.bind("FileGetAttr", "function(const FileName: string): Integer", &fileGetAttr);
    b.bind("FileSetAttr", "function(const FileName: string; Attr: Integer): Integer", &fileSetAttr);
    b.bind("FileDateToDateTime", "function(FileDate: Integer): TDateTime", &fileDateToDateTime);
    b.bind("DateTimeToFileDate", "function(DateTime: TDateTime): Integer", &dateTimeToFileDate);
    b.bind("FindFirst", "function(const Path: string; Attr: Integer; var F: TSearchRec): Integer",
           &findFirst);
    b.bind("FindNext", "function(var F: TSearchRec): Integer", &findNext);
    b.bind("FindClose", "procedure(var F: TSearchRec)", &findClose);
    ClassBinder<SearchRec> rec(b.registry(), "TSearchRec", "TObject");
    rec.property("Name", "string", [](SearchRec& r) { return r.current.name; });
    rec.property("Size", "Integer", [](SearchRec& r) { return r.current.size; });
    rec.property("Attr", "Integer", [](SearchRec& r) { return r.current.attr; });
    rec.property("Time", "Integer", [](SearchRec& r) { return r.current.time; });
    b.registry().registerConst("faReadOnly", Value(kFaReadOnly));
    b.registry().registerConst("faHidden", Value(kFaHidden));
    b.registry().registerConst("faSysFile", Value(kFaSysFile));
    b.registry().registerConst("faVolumeID", Value(kFaVolumeId));
    b.registry().registerConst("faDirectory", Value(kFaDirectory));
    b.registry().registerConst("faArchive", Value(kFaArchive));
    b.registry().registerConst("faAnyFile", Value(kFaAnyFile));
}

void bindExceptions(script::Registry& registry) {
    bindExceptionClasses(registry, std::span(kExceptionClasses, kExceptionClassCount));
    ClassBinder<ExceptionObject> e(registry, "Exception");
    e.property(
        "Message", "string", [](ExceptionObject& x) { return x.message; },
        [](ExceptionObject& x, std::string m) { x.message = std::move(m); });
    e.property(
        "HelpContext", "Integer", [](ExceptionObject& x) { return x.helpContext; },
        [](ExceptionObject& x, std::int32_t h) { x.helpContext = h; });

    Binder b(registry);
    b.bind("ExceptionMessage", "function: string",
           [] { return script::raisedException().message; });
    b.bind("ExceptionClassName", "function: string",
           [] { return script::raisedException().className; });
    b.bind("Abort", "procedure", [] { raiseException("EAbort", czech("Operace přerušena")); });
}

} // namespace

void registerSysUtilsUnit(script::Registry& registry) {
    registerFormatSettings(registry);
    Binder b(registry);
    bindConversions(b);
    bindStrings(b);
    bindDates(b);
    bindFiles(b);
    bindExceptions(registry);
}

} // namespace vorlan::stdlib
