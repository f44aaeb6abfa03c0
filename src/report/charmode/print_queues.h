#pragma once
// The host's print queues, as far as character mode needs them: which queues exist, which is the
// default one, whether a queue is text-only, and sending bytes to a queue unchanged.
//
// A text-only printer here is a queue that passes what it is sent to the device as it stands:
// the print system's raw queues (which report their make and model as "Local Raw Printer") and
// queues set up with the generic text-only driver description (whose model says "text-only").
// A queue can also be declared text-only by naming it in the environment variable
// VORLAN_TEXT_PRINTERS (names separated by commas), for a matrix printer behind a queue that
// looks like any other. When the print system cannot be asked, a queue counts as a graphic
// printer, and character mode is not used for it.
//
// The commands are the print system's usual ones: `lpstat -e` (queues), `lpstat -d` (the
// default queue, unless LPDEST or PRINTER names one), `lpoptions -p QUEUE` (its attributes)
// and `lp -d QUEUE -o raw` (printing without any filter).

#include "report/charmode/command_runner.h"

#include <string>
#include <string_view>
#include <vector>

namespace vorlan::report {

// The value of `key` in the attribute list `lpoptions` prints (key=value pairs separated by
// blanks, values optionally quoted with single or double quotes, backslash escapes). Empty when
// the key is not there.
std::string attributeValue(std::string_view attributes, std::string_view key);

// True for a make and model that stands for a text-only printer.
bool isTextOnlyModel(std::string_view makeAndModel);

class PrintQueues {
public:
    explicit PrintQueues(CommandRunner& runner) : runner_(runner) {}

    std::vector<std::string> names();
    // Empty when there is none.
    std::string defaultName();
    // `queue` empty means the default queue.
    bool isTextOnly(const std::string& queue);
    // Sends `bytes` to the queue (empty: the default one) as a raw job. Throws
    // std::runtime_error with the reason when the job is not accepted.
    void printRaw(const std::string& queue, std::string_view bytes, const std::string& title,
                  int copies);

private:
    CommandRunner& runner_;
};

} // namespace vorlan::report
