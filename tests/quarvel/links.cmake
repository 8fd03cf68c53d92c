# The UNSPSC upload tests write .xlsx workbooks with libxlsxwriter and odd
# packages with libzip, through the spreadsheet tests' helpers.
pkg_check_modules(XLSXWRITER REQUIRED IMPORTED_TARGET xlsxwriter)
pkg_check_modules(TEST_LIBZIP REQUIRED IMPORTED_TARGET libzip)
target_link_libraries(${name}_tests PRIVATE PkgConfig::XLSXWRITER PkgConfig::TEST_LIBZIP)
