// The SQL files of db/ compiled into the host, so that `init` works from any folder.
#pragma once

#include <string_view>
#include <vector>

namespace suitehost {

struct EmbeddedSql {
  std::string_view name;  // the file's name, as "010_currency.sql"
  std::string_view text;
};

// Each set in file-name order: db/*.sql (the catalog's schema),
// db/directory/*.sql (the membership directory's schema) and db/sample/*.sql
// (sample data for the catalog), db/directory/sample/*.sql (sample users of
// the directory). A set whose folder is missing is empty.
const std::vector<EmbeddedSql>& CatalogSchemaSql();
const std::vector<EmbeddedSql>& DirectorySchemaSql();
const std::vector<EmbeddedSql>& CatalogSampleSql();
const std::vector<EmbeddedSql>& DirectorySampleSql();
// db/references.ini: which components own and refer to which keys, for the
// referential checker; init writes it into the installation folder.
const std::vector<EmbeddedSql>& ReferenceRegistryFile();
// db/xmlschemas/*.xml: the schemas of the documents the classes read (the
// UNSPSC code list); init writes them into the installation's xmlschemas/.
const std::vector<EmbeddedSql>& XmlSchemaFiles();

}  // namespace suitehost
