# Writes a C++ file that holds every SQL file of the db/ folder, its
# reference registry and its XML schemas, for the host's
# `init` command. Run at build time: cmake -DDB_DIR=... -DOUTPUT=... -P embed_sql.cmake
# The files go in as byte arrays, so no text in them can break the C++ source.

if(NOT DB_DIR OR NOT OUTPUT)
  message(FATAL_ERROR "embed_sql.cmake needs DB_DIR and OUTPUT")
endif()

set(body "")
set(index 0)

# Appends one set of files (folder `folder`, accessor `function`, file-name
# pattern `pattern`) to `body`.
function(embed_set folder function pattern)
  file(GLOB files LIST_DIRECTORIES false "${folder}/${pattern}")
  list(SORT files)
  set(entries "")
  foreach(file IN LISTS files)
    get_filename_component(name "${file}" NAME)
    file(READ "${file}" hex HEX)
    string(LENGTH "${hex}" hexLength)
    math(EXPR size "${hexLength} / 2")
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    string(APPEND body "const unsigned char kFile${index}[] = {${bytes}0x00};\n")
    string(APPEND entries "      {\"${name}\", {reinterpret_cast<const char*>(kFile${index}), ${size}}},\n")
    math(EXPR index "${index} + 1")
  endforeach()
  string(APPEND body
    "}  // namespace\n\n"
    "const std::vector<EmbeddedSql>& ${function}() {\n"
    "  static const std::vector<EmbeddedSql> files = {\n${entries}  };\n"
    "  return files;\n"
    "}\n\n"
    "namespace {\n")
  set(body "${body}" PARENT_SCOPE)
  set(index "${index}" PARENT_SCOPE)
endfunction()

embed_set("${DB_DIR}" CatalogSchemaSql "*.sql")
embed_set("${DB_DIR}" ReferenceRegistryFile "references.ini")
embed_set("${DB_DIR}/directory" DirectorySchemaSql "*.sql")
embed_set("${DB_DIR}/sample" CatalogSampleSql "*.sql")
embed_set("${DB_DIR}/directory/sample" DirectorySampleSql "*.sql")
embed_set("${DB_DIR}/xmlschemas" XmlSchemaFiles "*.xml")

set(content "// Generated from the db/ folder by embed_sql.cmake; do not edit.
#include \"tools/suitehost/embedded_sql.h\"

namespace suitehost {
namespace {
${body}}  // namespace
}  // namespace suitehost
")

file(WRITE "${OUTPUT}" "${content}")
