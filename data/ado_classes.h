// Creation of the ADO stand-ins by ProgID ("ADODB.Connection",
// "ADODB.Recordset", "ADODB.Command") inside this process.
#pragma once

namespace data {

// Registers the three classes once; later calls do nothing.
void RegisterAdoClasses();

}  // namespace data
