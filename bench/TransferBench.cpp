// corvalen-bench: makes its own FoxPro table, then measures a full engine read of it and the two send commands
// through the SQLite stand-in server, headless; with --server tds, through FreeTDS's ODBC driver and our TDS 5.0
// server on loopback instead. One line per measure:
//   <measure> rows=<n> seconds=<s> rows_per_s=<r> cpu_s=<c> runq_wait_s=<w> peak_rss_mib=<m>
// cpu_s is the CPU time (user and system) the whole process used during the measure, runq_wait_s the time its
// threads spent ready to run but waiting for a CPU (from /proc/self/task/*/schedstat): on a shared machine a large
// wait says the wall-clock figure is the machine's load, not ours. peak_rss_mib is the peak resident size of the
// process so far. With --keep DIR the tables stay in DIR (source/bench.dbf, server.db, target/bench.dbf) for
// bench/compare-peers.sh.

#include "TdsServer.h"
#include "commands/Commands.h"
#include "commands/FoxProConnection.h"
#include "db/Connection.h"
#include "db/Recordset.h"
#include "db/builtin/BuiltinProviders.h"
#include "frame/Dialogs.h"
#include "frame/TableList.h"

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <random>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// Message boxes answer No and are counted; a send that reports failures is not a fair measure.
class CountingDialogs : public frame::Dialogs {
public:
    int messageBox(const std::string& text, int, const std::string&) override
    {
        if (++shown <= 3)
            std::cerr << "message: " << text << "\n";
        return frame::AnswerNo;
    }
    std::string inputBox(const std::string&, const std::string&, const std::string&) override { return {}; }
    std::string fileOpen(QWidget*, const frame::FileOpenRequest&) override { return {}; }
    std::string browseForFolder(QWidget*, const std::string&, const std::string&) override { return {}; }
    int shown = 0;
};

class NoProgress : public commands::ProgressControl {
public:
    void setValue(int) override {}
    void setText(const std::string&) override {}
};

double peakRssMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Nanoseconds the process's live threads have waited on a run queue (the second field of each schedstat).
double runQueueWaitSeconds()
{
    double total = 0;
    std::error_code ec;
    for (const auto& task : fs::directory_iterator("/proc/self/task", ec)) {
        std::ifstream in(task.path() / "schedstat");
        unsigned long long onCpu = 0;
        unsigned long long waiting = 0;
        if (in >> onCpu >> waiting)
            total += static_cast<double>(waiting) / 1e9;
    }
    return total;
}

struct Measure {
    double seconds = 0;
    double cpu = 0;
    double runQueueWait = 0;
};

Measure measured(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = cpuSeconds();
    const double waitStart = runQueueWaitSeconds();
    work();
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), cpuSeconds() - cpuStart,
            runQueueWaitSeconds() - waitStart};
}

void report(const char* measure, long long rows, const Measure& m)
{
    std::printf("%s rows=%lld seconds=%.3f rows_per_s=%.0f cpu_s=%.3f runq_wait_s=%.3f peak_rss_mib=%.1f\n", measure,
                rows, m.seconds, m.seconds > 0 ? static_cast<double>(rows) / m.seconds : 0.0, m.cpu, m.runQueueWait,
                peakRssMiB());
    std::fflush(stdout);
}

std::string memoText(std::mt19937& rng)
{
    static const char* pieces[] = {"plain words ", "O'Brien ", "line\r\n", "Zürich € ", "\"quoted\" ", "12.50 "};
    std::string s;
    const auto length = std::uniform_int_distribution<size_t>(0, 300)(rng);
    for (;;) {
        const std::string piece = pieces[rng() % 6];
        if (s.size() + piece.size() > length)
            break;
        s += piece;
    }
    s.resize(length, '.'); // whole pieces only, so no character is cut in two
    return s;
}

std::string quoted(const std::string& s)
{
    std::string out = "'";
    for (char c : s) {
        out += c;
        if (c == '\'')
            out += '\'';
    }
    return out + "'";
}

// 10 columns: I, C(30), C(20), N(12,2), B, I, D, T, L and a memo of 0 to 300 characters.
void makeTable(const frame::ConnectionFields& fields, long long rows)
{
    db::Connection c;
    c.Open(commands::foxProConnectionString(fields));
    c.Execute("CREATE TABLE \"bench\" (id I, name C(30), city C(20), amount N(12,2), ratio B, qty I, born D, "
              "seen T, active L, notes M)");
    std::mt19937 rng(20210831);
    for (long long i = 0; i < rows; ++i) {
        const int day = static_cast<int>(rng() % 18) + 10; // two digits
        std::string sql = "INSERT INTO \"bench\" VALUES (" + std::to_string(i) + ", " +
                          quoted("Customer " + std::to_string(rng() % 100000) + " O'Neil") + ", " +
                          quoted("City " + std::to_string(rng() % 500)) + ", " +
                          std::to_string(static_cast<double>(rng() % 10000000) / 100.0) + ", " +
                          std::to_string(static_cast<double>(rng()) / 3.0) + ", " + std::to_string(rng() % 1000) +
                          ", '1980-02-" + std::to_string(day) + "', '2021-08-" + std::to_string(day) + " 12:34:56', '" +
                          (rng() % 2 ? "True" : "False") + "', " + quoted(memoText(rng)) + ")";
        c.Execute(sql);
    }
}

long long readAll(const frame::ConnectionFields& fields)
{
    db::Connection c;
    c.CursorLocation = db::CursorLocation::Client;
    c.Open(commands::foxProConnectionString(fields));
    db::Recordset rs;
    rs.Open("SELECT * FROM \"bench\"", c, db::CursorType::Static, db::LockType::Optimistic);
    long long rows = 0;
    std::size_t characters = 0; // every value as text, as a send needs it
    const int n = rs.FieldCount();
    for (; !rs.Eof(); rs.MoveNext(), ++rows)
        for (int f = 0; f < n; ++f)
            characters += rs.fields(f).value().toText().size();
    if (characters == 0 && rows > 0)
        std::cerr << "every value was empty\n";
    return rows;
}

struct Options {
    long long rows = 200000;
    bool tds = false; // through FreeTDS and the TDS test server rather than the SQLite stand-in
    std::string keep; // a folder the tables are made in and left in
};

Options parseOptions(int argc, char** argv)
{
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--rows" && i + 1 < argc)
            o.rows = std::atoll(argv[++i]);
        else if (a == "--server" && i + 1 < argc)
            o.tds = std::string(argv[++i]) == "tds";
        else if (a == "--keep" && i + 1 < argc)
            o.keep = argv[++i];
        else {
            std::cout << "usage: corvalen-bench [--rows N] [--server sqlite|tds] [--keep DIR]\n";
            std::exit(a == "--help" || a == "-h" ? 0 : 2);
        }
    }
    return o;
}

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication qtApp(argc, argv);
    const Options options = parseOptions(argc, argv);
    const long long rows = options.rows;
    db::registerBuiltinProviders();
    CountingDialogs dialogs;
    frame::setDialogs(&dialogs);

    const fs::path dir = options.keep.empty()
                             ? fs::temp_directory_path() / ("corvalen-bench-" + std::to_string(getpid()))
                             : fs::path(options.keep);
    for (const char* earlier : {"source", "target", "server.db", "tds.db"}) // a kept folder's last run
        fs::remove_all(dir / earlier);
    fs::create_directories(dir / "source");
    fs::create_directories(dir / "target");
    frame::ConnectionFields fields;
    fields.useDbcFile = false;
    fields.aseServer = "sqlite:" + (dir / "server.db").string();
    fields.freeTableFolder = (dir / "source").string();
    std::unique_ptr<tds::Server> server;
    if (options.tds) {
        tds::ServerConfig config;
        config.sqlitePath = (dir / "tds.db").string();
        server = std::make_unique<tds::Server>(config);
        fields.aseServer = "127.0.0.1";
        fields.asePort = std::to_string(server->port());
        fields.aseUser = config.user;
        fields.asePassword = config.password;
        fields.aseDatabase = config.database;
    }

    makeTable(fields, rows);
    long long read = 0;
    report("read-foxpro", rows, measured([&] { read = readAll(fields); }));
    if (read != rows)
        std::cerr << "read " << read << " rows of " << rows << "\n";

    frame::TableList list1, list2;
    NoProgress progress;
    commands::TablesWindowSeam window;
    window.foxProList = &list1;
    window.aseList = &list2;
    window.progress = &progress;
    window.setPointer = [](frame::PointerState) {};
    window.fields = [&]() -> const frame::ConnectionFields& { return fields; };
    list1.add("bench");
    list1.select(0);
    report("send-to-ase", rows, measured([&] { commands::sendToAse(window); }));

    fields.freeTableFolder = (dir / "target").string(); // the send back writes a fresh folder
    list1.clear();
    list2.select(0);
    report("send-to-foxpro", rows, measured([&] { commands::sendToFoxPro(window); }));

    frame::setDialogs(nullptr);
    server.reset();
    std::error_code ec;
    if (options.keep.empty())
        fs::remove_all(dir, ec);
    if (dialogs.shown > 0)
        std::cerr << dialogs.shown << " messages were shown during the run\n";
    return dialogs.shown > 0 ? 1 : 0;
}
