/* ZamoChild over fork and exec, and the database helpers (see zamo_child.h). */
#include "zamo_child.h"

#include <fcntl.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

namespace {
int gChildCount = 0;
}

ZamoChild::ZamoChild(const TempFolder& folder, const std::vector<std::string>& args,
                     const ChildFaults& faults) {
    int n = ++gChildCount;
    out_ = folder.File("child-" + std::to_string(n) + ".out");
    err_ = folder.File("child-" + std::to_string(n) + ".err");
    std::vector<std::string> argv{ZAMO_PROGRAM};
    argv.insert(argv.end(), args.begin(), args.end());
    pid_ = fork();
    if (pid_ != 0) return;
    int in = open("/dev/null", O_RDONLY);
    int out = open(out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    int err = open(err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    if (faults.fileSizeLimit >= 0) {
        // As under `ulimit -f`: SIGXFSZ keeps its default; zamo itself must
        // turn writes past the limit into failures, as on a full disk.
        signal(SIGXFSZ, SIG_DFL);
        rlimit limit{static_cast<rlim_t>(faults.fileSizeLimit),
                     static_cast<rlim_t>(faults.fileSizeLimit)};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    if (faults.asNobody && geteuid() == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0) _exit(126);
    }
    std::vector<char*> pointers;
    for (std::string& a : argv) pointers.push_back(a.data());
    pointers.push_back(nullptr);
    execv(pointers[0], pointers.data());
    _exit(127);
}

ZamoChild::~ZamoChild() {
    if (pid_ > 0 && !waited_) Kill();
}

ZamoResult ZamoChild::Wait() {
    if (waited_ || pid_ <= 0) return result_;
    int status = 0;
    waitpid(pid_, &status, 0);
    waited_ = true;
    result_.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result_.out = FileBytes(out_);
    result_.err = FileBytes(err_);
    return result_;
}

ZamoResult ZamoChild::Kill() {
    if (!waited_ && pid_ > 0) kill(pid_, SIGKILL);
    return Wait();
}

std::string QueryDatabase(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    std::string rows;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        rows = std::string("error: ") + (db ? sqlite3_errmsg(db) : "cannot open");
        sqlite3_close(db);
        return rows;
    }
    sqlite3_busy_timeout(db, 5000);
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
        rows = std::string("error: ") + sqlite3_errmsg(db);
        sqlite3_close(db);
        return rows;
    }
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        if (!rows.empty()) rows += "\n";
        for (int i = 0; i < sqlite3_column_count(statement); ++i) {
            const unsigned char* text = sqlite3_column_text(statement, i);
            rows += (i ? "|" : "") + std::string(text ? reinterpret_cast<const char*>(text) : "");
        }
    }
    if (rc != SQLITE_DONE) rows = std::string("error: ") + sqlite3_errmsg(db);
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return rows;
}

std::string FileBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

bool EndsAfterWholeLine(const std::string& text) {
    return text.empty() || (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0);
}
