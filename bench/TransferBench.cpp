// corvalen-bench: makes its own FoxPro table, then measures a full engine read of it and the two send commands
// through the SQLite stand-in server, headless; with --server tds, through FreeTDS's ODBC driver and our TDS 5.0
// server on loopback instead. One line per measure:
//   <measure> rows=<n> seconds=<s> rows_per_s=<r> peak_rss_mib=<m>
// peak_rss_mib is the peak resident size of the process so far.

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

void report(const char* measure, long long rows, double seconds)
{
    std::printf("%s rows=%lld seconds=%.3f rows_per_s=%.0f peak_rss_mib=%.1f\n", measure, rows, seconds,
                seconds > 0 ? static_cast<double>(rows) / seconds : 0.0, peakRssMiB());
    std::fflush(stdout);
}

double timed(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
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
    std::size_t touched = 0;
    const int n = rs.FieldCount();
    for (; !rs.Eof(); rs.MoveNext(), ++rows)
        for (int f = 0; f < n; ++f)
            touched += rs.fields(f).value().isNull() ? 0 : 1;
    if (touched == 0 && rows > 0)
        std::cerr << "every value was null\n";
    return rows;
}

struct Options {
    long long rows = 200000;
    bool tds = false; // through FreeTDS and the TDS test server rather than the SQLite stand-in
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
        else {
            std::cout << "usage: corvalen-bench [--rows N] [--server sqlite|tds]\n";
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

    const fs::path dir = fs::temp_directory_path() / ("corvalen-bench-" + std::to_string(getpid()));
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
    report("read-foxpro", rows, timed([&] { read = readAll(fields); }));
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
    report("send-to-ase", rows, timed([&] { commands::sendToAse(window); }));

    fields.freeTableFolder = (dir / "target").string(); // the send back writes a fresh folder
    list1.clear();
    list2.select(0);
    report("send-to-foxpro", rows, timed([&] { commands::sendToFoxPro(window); }));

    frame::setDialogs(nullptr);
    server.reset();
    std::error_code ec;
    fs::remove_all(dir, ec);
    if (dialogs.shown > 0)
        std::cerr << dialogs.shown << " messages were shown during the run\n";
    return dialogs.shown > 0 ? 1 : 0;
}
