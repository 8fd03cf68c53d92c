-- Offices, warehouses and work centres: the user classes' tables. Users
-- themselves live in the membership directory. The office writers insert
-- without a column list, so the column order is part of the contract.

-- One row per office, keyed by its description; users name their
-- administrative and purchase offices by it. OFFICETYPE: 1 administrative,
-- 2 purchase.
CREATE TABLE OFFICE (
  OFFICEDESCRIPTION nvarchar(50) COLLATE SUITE_CI NOT NULL PRIMARY KEY,
  ADDRESSID int NULL,
  BIS_BISID int NULL,
  BUSINESSPARTNERID int NULL,
  CURRENCYCODE nchar(3) COLLATE SUITE_CI NULL,
  OFFICETYPE smallint NULL,
  CREDITCARDNUMBER nvarchar(30) COLLATE SUITE_CI NULL,
  CREDITCARDEXPIRY datetime NULL,
  COSTCENTER nvarchar(30) COLLATE SUITE_CI NULL,
  WAREHOUSE nvarchar(20) COLLATE SUITE_CI NULL,
  SHIPTOCONTACTINFORMATION nvarchar(255) COLLATE SUITE_CI NULL,
  FINANCIALDIMENSION1 nvarchar(50) COLLATE SUITE_CI NULL,
  FINANCIALDIMENSION2 nvarchar(50) COLLATE SUITE_CI NULL,
  FINANCIALDIMENSION3 nvarchar(50) COLLATE SUITE_CI NULL,
  FINANCIALDIMENSION4 nvarchar(50) COLLATE SUITE_CI NULL,
  FINANCIALDIMENSION5 nvarchar(50) COLLATE SUITE_CI NULL,
  CREDITCARDTYPE smallint NULL,
  PROJECTPROP int NULL,
  PLANPROP int NULL,
  EXTENSIONPROP int NULL,
  COSTCOMPONENTPROP int NULL,
  ACTIVITYPROP int NULL,
  ELEMENTPROP int NULL,
  PROPERTYGROUPID int NULL
);

-- Warehouse codes, each belonging to one BIS id.
CREATE TABLE WAREHOUSE (
  WAREHOUSECODE nvarchar(20) COLLATE SUITE_CI NOT NULL PRIMARY KEY,
  WAREHOUSEDESCRIPTION nvarchar(100) COLLATE SUITE_CI NULL,
  BISID int NULL
);

-- Work-centre codes, each belonging to one BIS id; COSTCENTER marks those
-- that count as a user's cost centre.
CREATE TABLE WORKCENTER (
  WORKCENTERCODE nvarchar(20) COLLATE SUITE_CI NOT NULL PRIMARY KEY,
  WORKCENTERDESCRIPTION nvarchar(100) COLLATE SUITE_CI NULL,
  COSTCENTER bit NULL,
  BISID int NULL
);

-- Sales representatives: one row per user and business partner the user
-- represents. The writer inserts without a column list. A link is stored
-- once: a second one would make the partner lists of the user fail.
CREATE TABLE BPSPERUSER (
  USERID nvarchar(50) COLLATE SUITE_CI NOT NULL,
  BUSINESSPARTNERID int NOT NULL,
  PRIMARY KEY (USERID, BUSINESSPARTNERID)
);

-- The suite's employees, each in a department (there is no department
-- table). Other parts of the suite fill it; this system only reads it.
CREATE TABLE EMPLOYEE (
  EMPLOYEEID nvarchar(20) COLLATE SUITE_CI NOT NULL PRIMARY KEY,
  DEPARTMENT nvarchar(50) COLLATE SUITE_CI NULL,
  NAME nvarchar(100) COLLATE SUITE_CI NULL
);
CREATE INDEX EMPLOYEE_BYDEPARTMENT ON EMPLOYEE (DEPARTMENT, EMPLOYEEID);

-- Project roles: each switches on business processes 1 to 7 by its flags
-- (HOURSREGISTRATION 1 to ERPRELATED 7). Users hold roles in the membership
-- directory (ProjectRole, the default role first). Nothing here writes it.
CREATE TABLE ROLE (
  ROLE nvarchar(20) COLLATE SUITE_CI NOT NULL PRIMARY KEY,
  DESCRIPTION nvarchar(100) COLLATE SUITE_CI NULL,
  HOURSREGISTRATION bit NULL,
  APPROVAL bit NULL,
  PROJECTHOMEPAGE bit NULL,
  TEAMBOOKING bit NULL,
  EXPENSEREGISTRATION bit NULL,
  DATAACCESS bit NULL,
  ERPRELATED bit NULL
);
