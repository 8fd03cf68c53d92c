# The spreadsheet tests write their .xlsx workbooks with libxlsxwriter and
# their hand-made packages with libzip.
pkg_check_modules(XLSXWRITER REQUIRED IMPORTED_TARGET xlsxwriter)
pkg_check_modules(TEST_LIBZIP REQUIRED IMPORTED_TARGET libzip)
target_link_libraries(${name}_tests PRIVATE PkgConfig::XLSXWRITER PkgConfig::TEST_LIBZIP)
