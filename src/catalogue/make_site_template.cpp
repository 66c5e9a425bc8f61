// Build step: runs the schema file into a fresh SQLite file, the template sdk.dll.
// Writes beside the target and renames, so an interrupted build never leaves half a template.

#include <sqlite3.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace {

int Fail(const std::string& what)
{
    std::fprintf(stderr, "make_site_template: %s\n", what.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
        return Fail("usage: make_site_template SCHEMA.sql OUTPUT");
    const std::string schemaPath = argv[1];
    const std::string output = argv[2];
    const std::string partial = output + ".partial";

    std::ifstream in(schemaPath, std::ios::binary);
    if (!in)
        return Fail("cannot read " + schemaPath);
    std::ostringstream sql;
    sql << in.rdbuf();

    std::remove(partial.c_str());
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(partial.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    std::string error;
    if (rc == SQLITE_OK) {
        char* message = nullptr;
        rc = sqlite3_exec(db, sql.str().c_str(), nullptr, nullptr, &message);
        if (rc != SQLITE_OK)
            error = message ? message : sqlite3_errstr(rc);
        sqlite3_free(message);
    } else {
        error = sqlite3_errmsg(db);
    }
    if (sqlite3_close(db) != SQLITE_OK && error.empty())
        error = "cannot close " + partial;
    if (!error.empty()) {
        std::remove(partial.c_str());
        return Fail(schemaPath + ": " + error);
    }
    if (std::rename(partial.c_str(), output.c_str()) != 0) {
        std::remove(partial.c_str());
        return Fail("cannot rename " + partial + " to " + output);
    }
    return 0;
}
