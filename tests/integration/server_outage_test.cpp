// A program writing records into a table on the tests' PostgreSQL server while the server goes
// away under it: the run reports the broken connection in Czech and fails, a program that
// catches the error repeats its work once the server answers again, and the table never holds
// a record with part of a write.
#include "core/cp1250.h"
#include "dbf/xbase_text.h"
#include "integration/process.h"
#include "pgsql/connection.h"
#include "pgsql/pg_server.h"
#include "pgsql/table.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <fstream>
#include <thread>

using namespace vorlan::testing;
namespace fs = std::filesystem;
using vorlan::czech;

namespace {

const char* const kLost = "Spojení s databázovým serverem bylo přerušeno";

// Each record: its name, its number and a memo of some 5 KB, written one after the other.
std::string writerProgram(int records, bool retry) {
    std::string body = "    WriteRecord(i);\n";
    if (retry)
        body = "    done := False;\n    tries := 0;\n    while not done do\n    try\n"
               "      WriteRecord(i);\n      done := True;\n    except\n"
               "      Writeln('chyba: ' + ExceptionMessage);\n      tries := tries + 1;\n"
               "      if tries > 50 then Halt(3);\n      Sleep(100);\n    end;\n";
    return "program Zapis;\n\nvar\n  T: Variant;\n  i, tries: Integer;\n  done: Boolean;\n"
           "  note: string;\n\n"
           "procedure WriteRecord(n: Integer);\nbegin\n"
           "  if T.RecCount < n then\n    T.AppendBlank;\n  T.Go(n);\n"
           "  T.WriteStr('NAZEV', 'Záznam ' + Str(n));\n  T.WriteNum('CISLO', n);\n"
           "  T.WriteMem('POZN', note + Str(n));\nend;\n\n"
           "procedure main;\nbegin\n  T := TDataTable.Create(nil);\n  Writeln(T.Use('ZAZNAMY'));\n"
           "  note := '';\n  for i := 1 to 250 do\n"
           "    note := note + 'řádek poznámky ' + Str(i) + chr(13) + chr(10);\n"
           "  for i := 1 to " +
           std::to_string(records) + " do\n  begin\n" + body +
           "  end;\n  Writeln(T.RecCount);\nend;\n\nbegin\nend.\n";
}

std::string expectedNote(std::uint32_t n) {
    std::string note;
    for (int i = 1; i <= 250; ++i)
        note += czech("řádek poznámky ") + std::to_string(i) + "\r\n";
    return note + std::to_string(n);
}

class ServerOutage : public ::testing::Test {
protected:
    void SetUp() override {
        server = pgtest::PgServer::get();
        if (!server) {
            if (pgtest::ciRun()) FAIL() << "PostgreSQL server: " << pgtest::PgServer::failure();
            GTEST_SKIP() << "PostgreSQL server: " << pgtest::PgServer::failure();
        }
        std::string name =
            "o_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name());
        for (char& c : name)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        url = server->freshDatabase(name.substr(0, 60));
        vorlan::pgsql::Table::create(
            vorlan::pgsql::Connection::open(url), "zaznamy",
            {{"NAZEV", 'C', 20, 0}, {"CISLO", 'N', 8, 0}, {"POZN", 'M', 10, 0}})
            ->close();
        fs::create_directories(dir / "work");
        fs::create_directories(dir / "config" / "vorlan");
        std::ofstream(dir / "config" / "vorlan" / "vorlan.ini")
            << "[Drives]\nS=" << dir.path().string() << "\n\n[Server]\nS:\\WORK=" << url << "\n";
    }

    ProcessResult run(const std::string& program, const std::vector<std::string>& options) {
        const fs::path source = dir / "src";
        fs::create_directories(source);
        dir.write("src/MAIN.ZLM", program);
        // A program's own tables lie beside its archive.
        const fs::path archive = dir / "work" / "ZAPIS.VRL";
        runVrltool({"pack", archive.string(), (source / "MAIN.ZLM").string()});
        const ScopedEnvironment config("XDG_CONFIG_HOME", (dir / "config").string());
        std::vector<std::string> args = options;
        args.push_back(archive.string());
        return runVorlan(args, dir / "work");
    }

    // Runs `outage` once the table holds `records` records (asked of a connection of our own),
    // while the program runs.
    template <class F> std::thread watch(std::uint32_t records, F outage) {
        return std::thread([this, records, outage] {
            try {
                auto c = vorlan::pgsql::Connection::open(url);
                while (!finished) {
                    const auto r = c->exec("SELECT reccount FROM vorlan_tables WHERE name = $1",
                                           {vorlan::pgsql::Param::text("zaznamy")});
                    if (r.rows() && r.integer(0, 0) >= records) {
                        outage(*c);
                        struck = true;
                        return;
                    }
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
                }
            } catch (const std::exception& e) {
                watchError = e.what();
            }
        });
    }

    // Every record as the program wrote it: record n holds the writes for n, each whole; only
    // the record being written when the run stopped may lack the writes after the last that
    // reached the server.
    void expectWholeWrites(std::uint32_t complete, std::uint32_t count) {
        auto t = vorlan::pgsql::Table::open(vorlan::pgsql::Connection::open(url), "zaznamy");
        ASSERT_EQ(t->recordCount(), count);
        for (std::uint32_t n = 1; n <= count; ++n) {
            t->goTo(n);
            const std::string name(vorlan::dbf::trimRight(t->getString(0)));
            const bool hasName = !name.empty();
            const bool hasNumber = !t->fieldEmpty(1);
            const bool hasNote = t->memoLength(2) > 0;
            if (hasName) {
                EXPECT_EQ(name, czech("Záznam ") + std::to_string(n));
            }
            if (hasNumber) {
                EXPECT_EQ(t->getNumber(1), n);
            }
            if (hasNote) {
                EXPECT_EQ(t->getMemo(2), expectedNote(n)) << "record " << n;
            }
            if (n <= complete) {
                EXPECT_TRUE(hasName && hasNumber && hasNote) << "record " << n;
            } else {
                // Written in this order.
                EXPECT_TRUE(hasName || !hasNumber) << "record " << n;
                EXPECT_TRUE(hasNumber || !hasNote) << "record " << n;
            }
        }
    }

    pgtest::PgServer* server = nullptr;
    std::string url;
    TempDir dir;
    std::atomic<bool> finished{false};
    std::atomic<bool> struck{false};
    std::string watchError;
};

} // namespace

TEST_F(ServerOutage, AStoppedServerEndsTheRunWithACzechMessage) {
    std::thread watcher = watch(40, [this](vorlan::pgsql::Connection&) { server->stop(); });
    const ProcessResult r = run(writerProgram(1000000, false), {"--stop-on-error"});
    finished = true;
    watcher.join();
    ASSERT_TRUE(watchError.empty()) << watchError;
    ASSERT_TRUE(struck) << r.out << r.err;
    EXPECT_EQ(r.exitCode, kScriptError) << r.err;
    EXPECT_NE(r.err.find(kLost), std::string::npos) << r.err;
    ASSERT_TRUE(server->start());
    auto t = vorlan::pgsql::Table::open(vorlan::pgsql::Connection::open(url), "zaznamy");
    const std::uint32_t count = t->recordCount();
    EXPECT_GE(count, 40u);
    expectWholeWrites(count - 1, count);
}

TEST_F(ServerOutage, AProgramThatCatchesTheErrorWritesAgainWhenTheConnectionIsBack) {
    // The server stays up; the program's connection is cut, as an administrator would cut it.
    std::thread watcher = watch(60, [](vorlan::pgsql::Connection& c) {
        c.exec("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = "
               "current_database() AND pid <> pg_backend_pid()");
    });
    const ProcessResult r = run(writerProgram(150, true), {});
    finished = true;
    watcher.join();
    ASSERT_TRUE(watchError.empty()) << watchError;
    ASSERT_TRUE(struck) << r.out << r.err;
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_NE(r.out.find(std::string("chyba: ") + kLost), std::string::npos) << r.out << r.err;
    EXPECT_EQ(r.out.substr(r.out.size() - 4), "150\n") << r.out;
    expectWholeWrites(150, 150);
}
