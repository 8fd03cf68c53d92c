-- Products, their price lines, buyers, property values, alternatives,
-- attached files and favourites, and the manufacturers and tax codes they
-- name. References between tables are checked by the referential checker and
-- the classes, not by foreign keys.

-- One row per product. PARTNUMBER and PRODUCTDESCRIPTION are mandatory for
-- the writers; BUYFROMPARTNUMBER is the supplier's part number, by which the
-- import finds a product. USERID is the product's own buyer; MULTIPLEBUYER 1
-- means its buyers are its PRODUCTBUYER rows. GTIN is kept as text, padded
-- with "0" to 14 characters by the writers (a longer one stays as given).
-- The flags are nullable because a writer may store an empty value as Null.
-- Text widths are those the product import cuts its values to, except for
-- the three it writes as the document gives them: BUYFROMPARTNUMBER, GTIN
-- and UNSPSCCODE take 255 characters, far more than any such code has.
CREATE TABLE PRODUCT (
  PRODUCTID INTEGER PRIMARY KEY AUTOINCREMENT,
  PARTNUMBER nvarchar(50) COLLATE SUITE_CI NULL,
  PRODUCTDESCRIPTION nvarchar(255) COLLATE SUITE_CI NULL,
  UNITCODE nvarchar(10) COLLATE SUITE_CI NULL,
  CLASSCODE nvarchar(10) COLLATE SUITE_CI NULL,
  COMMODITYCODE nvarchar(30) COLLATE SUITE_CI NULL,
  CONTRACTCODE nvarchar(30) COLLATE SUITE_CI NULL,
  PRICINGMETHOD smallint NULL,
  NUMBER smallint NULL,
  MANUFACTURERID nvarchar(50) COLLATE SUITE_CI NULL,
  MFRPARTNUMBER nvarchar(50) COLLATE SUITE_CI NULL,
  BUSINESSPARTNERID int NULL,
  BUYFROMPARTNUMBER nvarchar(255) COLLATE SUITE_CI NULL,
  BUYFROMCONTACTINFO nvarchar(255) COLLATE SUITE_CI NULL,
  BUYFROMCONTACTEMAIL nvarchar(30) COLLATE SUITE_CI NULL,
  USERID nvarchar(50) COLLATE SUITE_CI NULL,
  MULTIPLEBUYER bit NULL DEFAULT 0,
  PROPERTYGROUPID int NULL,
  UNSPSCCODE nvarchar(255) COLLATE SUITE_CI NULL,
  GTIN nvarchar(255) COLLATE SUITE_CI NULL,
  CONFIGURABLE bit NULL DEFAULT 0,
  PRODUCTREMARK nvarchar(255) COLLATE SUITE_CI NULL,
  IMAGEFILENAME nvarchar(255) COLLATE SUITE_CI NULL,
  TECHNICALIMAGE nvarchar(255) COLLATE SUITE_CI NULL,
  URL nvarchar(255) COLLATE SUITE_CI NULL,
  PRODUCTXML nvarchar(255) COLLATE SUITE_CI NULL,
  PRODUCTEFFECTIVITYDATE datetime NULL,
  PRODUCTEXPIRYDATE datetime NULL,
  DISABLED bit NULL DEFAULT 0,
  STOCKITEM bit NULL DEFAULT 0,
  MINORDERQTY float NULL,
  MULTIPLEOF float NULL,
  LOTSIZE float NULL,
  DELIVERYLEADTIME float NULL,
  DATEUPDATED datetime NULL,
  CLASSIFICATION nvarchar(32) COLLATE SUITE_CI NULL
);
CREATE INDEX PRODUCT_PARTNUMBER ON PRODUCT (PARTNUMBER);
CREATE INDEX PRODUCT_BUYFROMPARTNUMBER ON PRODUCT (BUYFROMPARTNUMBER);
CREATE INDEX PRODUCT_BUSINESSPARTNERID ON PRODUCT (BUSINESSPARTNERID);
CREATE INDEX PRODUCT_COMMODITYCODE ON PRODUCT (COMMODITYCODE);
CREATE INDEX PRODUCT_USERID ON PRODUCT (USERID);
CREATE INDEX PRODUCT_GTIN ON PRODUCT (GTIN);
CREATE INDEX PRODUCT_UNITCODE ON PRODUCT (UNITCODE);
CREATE INDEX PRODUCT_CLASSCODE ON PRODUCT (CLASSCODE);
CREATE INDEX PRODUCT_PROPERTYGROUPID ON PRODUCT (PROPERTYGROUPID);

-- Price lines: a product's price from PRICEEFFECTIVEDATE to PRICEEXPIRYDATE
-- (Null: open-ended) up to the quantity QUANTITYTO, in a price group. The
-- default group is stored as Null (or ''). A line is identified by product,
-- date, quantity and group; GROUPBY may be Null, so that identity is the
-- unique index below instead of a primary key, with Null and '' one group and
-- letter case ignored; the break comes second in it, so that the smallest
-- break in force is found without sorting all of a product's lines.
-- Percentages are kept to two decimals.
CREATE TABLE CATALOGPRODUCTPRICE (
  PRODUCTID int NOT NULL,
  PRICEEFFECTIVEDATE datetime NOT NULL,
  QUANTITYTO float NOT NULL,
  GROUPBY nvarchar(50) COLLATE SUITE_CI NULL DEFAULT NULL,
  CURRENCYCODE nchar(3) COLLATE SUITE_CI NOT NULL,
  PRICE money NULL,
  DISCOUNTPERC decimal(5,2) NULL,
  DISCOUNTAMOUNT money NULL,
  PRICETAXPERCENTAGE decimal(5,2) NULL,
  FREIGHTCOST money NULL,
  PRICEEXPIRYDATE datetime NULL
);
CREATE UNIQUE INDEX CATALOGPRODUCTPRICE_LINE ON CATALOGPRODUCTPRICE
  (PRODUCTID, QUANTITYTO, PRICEEFFECTIVEDATE, IFNULL(GROUPBY, '') COLLATE SUITE_CI);
CREATE INDEX CATALOGPRODUCTPRICE_CURRENCYCODE ON CATALOGPRODUCTPRICE (CURRENCYCODE);

-- The buyers of a product whose MULTIPLEBUYER is 1. No key: the same buyer
-- may be listed twice. A product's rows come back in the order stored.
CREATE TABLE PRODUCTBUYER (
  PRODUCTID int NULL,
  USERID nvarchar(50) COLLATE SUITE_CI NULL
);
CREATE INDEX PRODUCTBUYER_PRODUCTID ON PRODUCTBUYER (PRODUCTID);
CREATE INDEX PRODUCTBUYER_USERID ON PRODUCTBUYER (USERID);

-- A product's value of a property, as text whatever the property's type.
CREATE TABLE PRODUCTPROPVALUE (
  PRODUCTID int NOT NULL,
  PROPERTYID int NOT NULL,
  VALUE nvarchar(30) COLLATE SUITE_CI NULL,
  PRIMARY KEY (PRODUCTID, PROPERTYID)
);

-- The alternatives offered for a product (ORIGINALPRODUCT).
CREATE TABLE ALTERNATIVEPRODUCTS (
  ORIGINALPRODUCT int NOT NULL,
  ALTERNATIVEPRODUCT int NOT NULL,
  PRIMARY KEY (ORIGINALPRODUCT, ALTERNATIVEPRODUCT)
);

-- Files attached to a product; the files lie in the product's attachment
-- folder.
CREATE TABLE ATTACHEDFILE (
  ATTACHEDFILEID INTEGER PRIMARY KEY AUTOINCREMENT,
  PRODUCTID int NULL,
  FILENAME nvarchar(255) COLLATE SUITE_CI NULL
);
CREATE INDEX ATTACHEDFILE_PRODUCTID ON ATTACHEDFILE (PRODUCTID);

-- A user's favourite products. WAREHOUSEFAVORITE: 0 an ordinary favourite,
-- 1 a warehouse favourite; FOLDERID 0 is the root (no folder); a row whose
-- PRESENT is 0 or less does not count as a favourite. No unique key: two
-- simultaneous additions of one favourite may both be stored.
CREATE TABLE FAVORITES (
  USERID nvarchar(50) COLLATE SUITE_CI NULL,
  PRODUCTID int NULL,
  WAREHOUSEFAVORITE bit NULL DEFAULT 0,
  FOLDERID int NULL DEFAULT 0,
  PRESENT int NULL
);
CREATE INDEX FAVORITES_USERID ON FAVORITES (USERID, PRODUCTID);
CREATE INDEX FAVORITES_PRODUCTID ON FAVORITES (PRODUCTID);
CREATE INDEX FAVORITES_FOLDERID ON FAVORITES (FOLDERID);

-- Manufacturers, keyed by a code the caller gives.
CREATE TABLE MANUFACTURER (
  MANUFACTURERID nvarchar(50) COLLATE SUITE_CI NOT NULL PRIMARY KEY,
  MANUFACTURERNAME nvarchar(100) COLLATE SUITE_CI NULL
);

-- Tax codes that commodities name; filled elsewhere in the suite.
CREATE TABLE TAXCODES (
  TAXCODE nvarchar(20) COLLATE SUITE_CI NOT NULL PRIMARY KEY,
  DESCRIPTION nvarchar(100) COLLATE SUITE_CI NULL,
  LEDGERACCOUNT nvarchar(30) COLLATE SUITE_CI NULL
);
