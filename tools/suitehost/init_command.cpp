// `suitehost init`: creates an installation folder with its databases and configuration.
#include "tools/suitehost/init_command.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <iostream>
#include <stdexcept>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "data/schema.h"
#include "runtime/com_error.h"
#include "tools/suitehost/embedded_sql.h"

namespace suitehost {

namespace fs = std::filesystem;

namespace {

const char* const kCatalogFile = "catalog.db";
const char* const kDirectoryFile = "directory.db";
const char* const kConfigFile = "suite.ini";
const char* const kReferencesFile = "references.ini";
// Where the import classes may read documents given as local paths.
const char* const kDownloadFolder = "XMLDownload";
// The schemas of the documents the classes read (the UNSPSC code list).
const char* const kSchemaFolder = "xmlschemas";
// Where the mail object drops outgoing messages for a mail transfer agent.
const char* const kMailPickupFolder = "mail/pickup";

class InitError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Flushes a finished file to disk before it is moved into place.
void SyncFile(const fs::path& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0 || ::fsync(fd) != 0) {
    std::string why = std::strerror(errno);
    if (fd >= 0) ::close(fd);
    throw InitError("cannot write " + path.string() + ": " + why);
  }
  ::close(fd);
}

// Builds a database file from SQL scripts through the data layer's engine,
// all in one transaction: a failed statement leaves no half-built schema (and
// the temporary file is thrown away in any case).
void BuildDatabase(const fs::path& path, const std::vector<const std::vector<EmbeddedSql>*>& sets) {
  {
    std::ofstream created(path, std::ios::binary);
    if (!created) throw InitError("cannot create " + path.string());
  }
  std::vector<data::NamedScript> scripts;
  for (const auto* set : sets)
    for (const EmbeddedSql& file : *set) scripts.push_back(data::NamedScript{std::string(file.name), file.text});
  try {
    data::RunScripts(path.string(), scripts);
  } catch (const rt::ComError& e) {
    throw InitError(e.description());
  }
  // The engine worked in WAL mode; the file is handed over in the plain
  // journal mode (the first session switches it to WAL again), so that it
  // is one file with nothing beside it.
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
  if (rc == SQLITE_OK) rc = sqlite3_exec(db, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
  const std::string why = db ? sqlite3_errmsg(db) : "out of memory";
  sqlite3_close(db);
  if (rc != SQLITE_OK) throw InitError("cannot finish " + path.string() + ": " + why);
  SyncFile(path);
}

// The sample countries: the ISO 3166 list of the system's iso-codes
// package, read at init time (COUNTRYCODE the two-letter code, ISOCODE the
// three-letter one).
const char* const kIsoCountriesFile = "/usr/share/iso-codes/json/iso_3166-1.json";

std::string CountryInsertSql() {
  std::ifstream in(kIsoCountriesFile, std::ios::binary);
  if (!in) throw InitError(std::string("cannot read ") + kIsoCountriesFile + " (the iso-codes package)");
  auto quoted = [](const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("''") : std::string(1, c);
    return out + "'";
  };
  std::string sql;
  try {
    const nlohmann::json list = nlohmann::json::parse(in);
    for (const auto& country : list.at("3166-1"))
      sql += "INSERT INTO COUNTRY (COUNTRYCODE, COUNTRYNAME, ISOCODE) VALUES (" +
             quoted(country.at("alpha_2").get<std::string>()) + ", " + quoted(country.at("name").get<std::string>()) +
             ", " + quoted(country.at("alpha_3").get<std::string>()) + ");\n";
  } catch (const nlohmann::json::exception& e) {
    throw InitError(std::string(kIsoCountriesFile) + ": " + e.what());
  }
  return sql;
}

void WriteTextFile(const fs::path& path, const std::string& text) {
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.flush();
    if (!out) throw InitError("cannot write " + path.string());
  }
  SyncFile(path);
}

// The text of a path for the configuration file: characters that would
// end an INI line or split a connection string cannot be carried.
void CheckCarriable(const std::string& dir) {
  for (unsigned char c : dir) {
    if (c == ';' || c < 0x20 || c == 0x7f)
      throw InitError("the folder's path " + dir +
                      " holds \";\" or a control character, which the configuration cannot carry");
  }
}

// Files created so far, removed again unless the installation completes.
class Cleanup {
 public:
  explicit Cleanup(fs::path createdDir) : createdDir_(std::move(createdDir)) {}
  ~Cleanup() {
    if (done_) return;
    std::error_code ignored;
    for (auto it = paths_.rbegin(); it != paths_.rend(); ++it) fs::remove(*it, ignored);
    if (!createdDir_.empty()) fs::remove(createdDir_, ignored);
  }
  void Add(const fs::path& path) { paths_.push_back(path); }
  void Done() { done_ = true; }

 private:
  fs::path createdDir_;
  std::vector<fs::path> paths_;
  bool done_ = false;
};

void Initialise(const std::string& dirArgument, bool withSample) {
  if (dirArgument.empty()) throw InitError("the folder's name is empty");
  fs::path dir = fs::absolute(fs::path(dirArgument)).lexically_normal();
  if (dir.has_parent_path() && !dir.has_filename()) dir = dir.parent_path();
  const std::string dirText = dir.string();
  CheckCarriable(dirText);

  std::error_code ec;
  const fs::path targets[] = {dir / kCatalogFile, dir / kDirectoryFile, dir / kConfigFile,
                              dir / kReferencesFile};
  bool exists = fs::exists(fs::symlink_status(dir, ec));
  if (exists && !fs::is_directory(dir, ec)) throw InitError(dirText + " is not a folder");
  for (const fs::path& target : targets)
    if (fs::exists(fs::symlink_status(target, ec)))
      throw InitError(dirText + " already holds " + target.filename().string() +
                      "; nothing was changed");
  const fs::path download = dir / kDownloadFolder;
  if (fs::exists(fs::symlink_status(download, ec)) && !fs::is_directory(fs::symlink_status(download, ec)))
    throw InitError(download.string() + " is not a folder; nothing was changed");
  const fs::path schemaFolder = dir / kSchemaFolder;
  if (fs::exists(fs::symlink_status(schemaFolder, ec)) && !fs::is_directory(fs::symlink_status(schemaFolder, ec)))
    throw InitError(schemaFolder.string() + " is not a folder; nothing was changed");
  for (const EmbeddedSql& schema : XmlSchemaFiles())
    if (fs::exists(fs::symlink_status(schemaFolder / schema.name, ec)))
      throw InitError(dirText + " already holds " + kSchemaFolder + "/" + std::string(schema.name) +
                      "; nothing was changed");

  if (!exists && !fs::create_directories(dir, ec))
    throw InitError("cannot create " + dirText + ": " + ec.message());
  Cleanup cleanup(exists ? fs::path() : dir);

  const std::string suffix = ".init-" + std::to_string(::getpid());
  const fs::path catalogTemp = dir / (std::string(kCatalogFile) + suffix);
  const fs::path directoryTemp = dir / (std::string(kDirectoryFile) + suffix);
  const fs::path configTemp = dir / (std::string(kConfigFile) + suffix);
  const fs::path referencesTemp = dir / (std::string(kReferencesFile) + suffix);
  const fs::path temps[] = {catalogTemp, directoryTemp, configTemp, referencesTemp};
  for (const fs::path& temp : temps) cleanup.Add(temp);

  std::vector<const std::vector<EmbeddedSql>*> catalogSets = {&CatalogSchemaSql()};
  const std::string countrySql = withSample ? CountryInsertSql() : std::string();
  const std::vector<EmbeddedSql> countries = {{"iso_3166-1.json", countrySql}};
  if (withSample) {
    catalogSets.push_back(&countries);
    catalogSets.push_back(&CatalogSampleSql());
  }
  BuildDatabase(catalogTemp, catalogSets);
  std::vector<const std::vector<EmbeddedSql>*> directorySets = {&DirectorySchemaSql()};
  if (withSample) directorySets.push_back(&DirectorySampleSql());
  BuildDatabase(directoryTemp, directorySets);
  std::string ini = SuiteIniText(dirText);
  if (withSample) {
    // The sample directory's script account, with which the user lists bind.
    const std::string empty = "[MEMBERSHIP]\nMemScriptUser=\nMemScriptCode=\n";
    ini.replace(ini.find(empty), empty.size(),
                "[MEMBERSHIP]\nMemScriptUser=scriptuser\nMemScriptCode=sample\n");
  }
  WriteTextFile(configTemp, ini);
  // The referential checker reads the registry from the installation folder.
  std::string references;
  for (const EmbeddedSql& file : ReferenceRegistryFile()) references += file.text;
  WriteTextFile(referencesTemp, references);

  // A download folder that is already there is kept as it is.
  if (!fs::is_directory(fs::symlink_status(download, ec))) {
    if (!fs::create_directory(download, ec)) throw InitError("cannot create " + download.string() + ": " + ec.message());
    cleanup.Add(download);
  }
  // The schemas, in a schema folder that is kept when it is already there.
  if (!fs::is_directory(fs::symlink_status(schemaFolder, ec))) {
    if (!fs::create_directory(schemaFolder, ec))
      throw InitError("cannot create " + schemaFolder.string() + ": " + ec.message());
    cleanup.Add(schemaFolder);
  }
  std::vector<std::pair<fs::path, fs::path>> schemas;  // temporary file, final name
  for (const EmbeddedSql& schema : XmlSchemaFiles()) {
    const fs::path target = schemaFolder / schema.name;
    const fs::path temp = schemaFolder / (std::string(schema.name) + suffix);
    cleanup.Add(temp);
    WriteTextFile(temp, std::string(schema.text));
    schemas.emplace_back(temp, target);
  }

  // link() refuses an existing name, so a file that appeared meanwhile is
  // never overwritten.
  for (size_t i = 0; i < std::size(targets); ++i) {
    if (::link(temps[i].c_str(), targets[i].c_str()) != 0) {
      std::string why = std::strerror(errno);
      throw InitError("cannot create " + targets[i].string() + ": " + why);
    }
    cleanup.Add(targets[i]);
  }
  for (const auto& [temp, target] : schemas) {
    if (::link(temp.c_str(), target.c_str()) != 0) {
      std::string why = std::strerror(errno);
      throw InitError("cannot create " + target.string() + ": " + why);
    }
    cleanup.Add(target);
    fs::remove(temp, ec);
  }
  // The mail pickup folder, and its parent, when they are new.
  for (const fs::path& folder : {dir / "mail", dir / kMailPickupFolder}) {
    if (fs::exists(fs::symlink_status(folder, ec))) continue;
    if (!fs::create_directory(folder, ec)) throw InitError("cannot create " + folder.string() + ": " + ec.message());
    cleanup.Add(folder);
  }
  for (const fs::path& temp : temps) fs::remove(temp, ec);
  cleanup.Done();
}

}  // namespace

std::string SuiteIniText(const std::string& dir) {
  const std::string connection = "Provider=SQLite;Data Source=" + dir + "/" + kCatalogFile;
  return "[INSTALL]\n"
         "Dir=" + dir + "\n"
         "[LOG]\n"
         "File=" + dir + "/suite.log\n"
         "[DIRECTORY]\n"
         "Path=" + dir + "/" + kDirectoryFile + "\n"
         "[CONNECTIONS]\n"
         "BrintorConnection_ConnectionString=" + connection + "\n"
         "QuarvelConnection_ConnectionString=" + connection + "\n"
         "[COMPONENTS]\n"
         "Quarvel=" + connection + "\n"
         "[MODULES]\n"
         "Quillet=No\n"
         "[MEMBERSHIP]\n"
         "MemScriptUser=\n"
         "MemScriptCode=\n"
         "LDAPRoot=\n"
         "[COMMONPARAMETERS]\n"
         "UNSPSCIMPLEMENTED=No\n"
         "[MAIL]\n"
         "PickupDir=" + dir + "/" + kMailPickupFolder + "\n";
}

int UpgradeInstallation(const std::string& dir) {
  const fs::path catalog = fs::path(dir) / kCatalogFile;
  std::error_code ec;
  // What is missing is named: the folder, then the database in it.
  std::string missing;
  const fs::file_status folder = fs::status(dir, ec);
  if (folder.type() == fs::file_type::not_found) missing = "the folder " + dir + " does not exist";
  else if (ec) missing = "cannot reach " + dir + ": " + ec.message();
  else if (!fs::is_directory(folder)) missing = dir + " is no folder";
  else if (const fs::file_status file = fs::status(catalog, ec); file.type() == fs::file_type::not_found)
    missing = "the folder " + dir + " holds no " + kCatalogFile;
  else if (ec) missing = "cannot reach " + catalog.string() + ": " + ec.message();
  else if (!fs::is_regular_file(file)) missing = catalog.string() + " is no database file";
  if (!missing.empty()) {
    std::cerr << "suitehost: upgrade: " << missing << '\n';
    return 1;
  }
  std::vector<data::NamedScript> schema;
  for (const EmbeddedSql& file : CatalogSchemaSql()) schema.push_back(data::NamedScript{std::string(file.name), file.text});
  data::UpgradeResult made;
  try {
    made = data::UpgradeDatabase(catalog.string(), schema);
  } catch (const rt::ComError& e) {
    std::cerr << "suitehost: upgrade: " << e.description() << '\n';
    return 1;
  }
  const std::string path = fs::absolute(catalog).lexically_normal().string();
  if (made.tables == 0 && made.indexes == 0) {
    std::cout << path << " is in the present form already\n";
  } else {
    std::cout << "Upgraded " << path << ": " << made.tables << " table(s) made anew";
    if (made.indexes > 0) std::cout << ", " << made.indexes << " index(es)";
    std::cout << '\n';
  }
  return 0;
}

int InitInstallation(const std::string& dir, bool withSample) {
  try {
    Initialise(dir, withSample);
  } catch (const std::exception& e) {
    std::cerr << "suitehost: init: " << e.what() << '\n';
    return 1;
  }
  std::cout << "Initialised " << fs::absolute(fs::path(dir)).lexically_normal().string() << '\n';
  return 0;
}

}  // namespace suitehost
