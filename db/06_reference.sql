-- Catalog reference data: units, hazardous classes, product properties and
-- their enumerated values, property groups, and FAQ issues. Product rows name
-- units, classes and groups by these keys; the referential checker and the
-- classes' own checks guard the references, not foreign keys.

-- Units of measure (PRODUCT.UNITCODE). Looked up by code or by description.
CREATE TABLE UNIT (
  UNITCODE nvarchar(10) COLLATE SUITE_CI NOT NULL PRIMARY KEY,
  UNITDESCRIPTION nvarchar(50) COLLATE SUITE_CI NULL
);
CREATE INDEX UNIT_UNITDESCRIPTION ON UNIT (UNITDESCRIPTION);

-- Hazardous-material classes (PRODUCT.CLASSCODE). Looked up by description.
CREATE TABLE HAZARDOUSCLASS (
  CLASSCODE nvarchar(10) COLLATE SUITE_CI NOT NULL PRIMARY KEY,
  CLASSDESCRIPTION nvarchar(100) COLLATE SUITE_CI NULL
);
CREATE INDEX HAZARDOUSCLASS_CLASSDESCRIPTION ON HAZARDOUSCLASS (CLASSDESCRIPTION);

-- Product properties. DATATYPE: 1 text, 2 number, 3 enumeration, 4 date.
-- DEFAULTVALUE seeds the values of products entering a group that holds the
-- property; an EXTERNAL property's values survive a change of group. Names
-- and values are 30 characters wide: the product import cuts them to that.
CREATE TABLE PROPERTY (
  PROPERTYID INTEGER PRIMARY KEY AUTOINCREMENT,
  PROPERTYNAME nvarchar(30) COLLATE SUITE_CI NULL,
  DATATYPE smallint NULL,
  DEFAULTVALUE nvarchar(30) COLLATE SUITE_CI NULL DEFAULT NULL,
  EXTERNAL bit NULL DEFAULT 0
);
CREATE INDEX PROPERTY_PROPERTYNAME ON PROPERTY (PROPERTYNAME);

-- The permitted values of an enumerated property, in SEQUENCEID order. The
-- table is stored in key order (WITHOUT ROWID), so a property's values come
-- back in list order without an ORDER BY.
CREATE TABLE PROPERTYENUM (
  PROPERTYID int NOT NULL,
  SEQUENCEID int NOT NULL,
  VALUE nvarchar(30) COLLATE SUITE_CI NULL,
  PRIMARY KEY (PROPERTYID, SEQUENCEID)
) WITHOUT ROWID;

CREATE TABLE PROPERTYGROUP (
  PROPERTYGROUPID INTEGER PRIMARY KEY AUTOINCREMENT,
  PROPERTYGROUPNAME nvarchar(50) COLLATE SUITE_CI NULL
);

-- The member properties of a group, each once.
CREATE TABLE PROPSBYPROPGROUP (
  PROPERTYGROUPID int NOT NULL,
  PROPERTYID int NOT NULL,
  MANDATORY bit NULL DEFAULT 0,
  SHOWINPRODUCTSHEET bit NULL DEFAULT 0,
  PRIMARY KEY (PROPERTYGROUPID, PROPERTYID)
);
CREATE INDEX PROPSBYPROPGROUP_PROPERTYID ON PROPSBYPROPGROUP (PROPERTYID);

-- FAQ categories and visibility options: filled elsewhere in the suite.
CREATE TABLE FAQCATEGORY (
  FAQCATEGORYID int NOT NULL PRIMARY KEY,
  FAQCATEGORYDESCRIPTION nvarchar(100) COLLATE SUITE_CI NULL
);

CREATE TABLE FAQVISIBILITY (
  VISIBILITYID int NOT NULL PRIMARY KEY,
  VISIBILITYDESCRIPTION nvarchar(100) COLLATE SUITE_CI NULL
);

-- One row per FAQ issue. PRODUCTID is Null for an issue about no single
-- product; VISIBILITY is a VISIBILITYID; DATE is when the issue was added.
CREATE TABLE FAQISSUE (
  FAQISSUEID INTEGER PRIMARY KEY AUTOINCREMENT,
  PRODUCTID int NULL,
  PRODUCTCATEGORYID int NULL,
  FAQCATEGORYID int NULL,
  DESCRIPTION nvarchar(255) COLLATE SUITE_CI NULL,
  QUESTION ntext COLLATE SUITE_CI NULL,
  VISIBILITY int NULL,
  ANSWER ntext COLLATE SUITE_CI NULL,
  DATE datetime NULL,
  ATTACHMENT nvarchar(255) COLLATE SUITE_CI NULL,
  LINK nvarchar(255) COLLATE SUITE_CI NULL
);
