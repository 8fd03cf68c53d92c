-- The UNSPSC code tree, the commodities, and the links of products to product
-- categories that follow the UNSPSC codes.

-- One row per node of the code tree. A code is digits, two per level: the
-- full code of a row is PARENTCODE (all but the last pair, '' on level 1)
-- followed by UNSPSCCODE (the last pair). The upload inserts without a
-- column list, so the column order is part of the contract.
CREATE TABLE UNSPSCCODES (
  PARENTCODE varchar(8) COLLATE SUITE_CI NOT NULL,
  UNSPSCCODE varchar(2) COLLATE SUITE_CI NOT NULL,
  LEVELNUMBER smallint NULL,
  DESCRIPTION ntext COLLATE SUITE_CI NULL,
  PRIMARY KEY (PARENTCODE, UNSPSCCODE)
);
CREATE INDEX UNSPSCCODES_LEVEL ON UNSPSCCODES (LEVELNUMBER, PARENTCODE, UNSPSCCODE);

-- Commodities: the purchasing class of a product, with its default buyer,
-- property group, charge type, tax code (TAXCODES) and back-office item code.
-- The UNSPSC upload adds commodities coded by the full UNSPSC code.
-- The descriptions of codes and commodities are stored as the uploaded code
-- list gives them, so they have no width.
CREATE TABLE COMMODITY (
  COMMODITYCODE nvarchar(30) COLLATE SUITE_CI NOT NULL PRIMARY KEY,
  DESCRIPTION ntext COLLATE SUITE_CI NULL,
  USERID nvarchar(50) COLLATE SUITE_CI NULL,
  PROPERTYGROUPID int NULL,
  CHARGETYPECODE nvarchar(20) COLLATE SUITE_CI NULL,
  TAXCODE nvarchar(20) COLLATE SUITE_CI NULL,
  BISITEMCODE nvarchar(30) COLLATE SUITE_CI NULL
);
CREATE INDEX COMMODITY_PROPERTYGROUPID ON COMMODITY (PROPERTYGROUPID);
CREATE INDEX COMMODITY_USERID ON COMMODITY (USERID);

-- Membership of products in product categories, one row per pair; SEQUENCE
-- numbers a category's products from 1.
CREATE TABLE PRODUCTSBYCATEGORY (
  PRODUCTID int NOT NULL,
  CATEGORYID int NOT NULL,
  SEQUENCE int NULL,
  PRIMARY KEY (PRODUCTID, CATEGORYID)
);
CREATE INDEX PRODUCTSBYCATEGORY_CATEGORYID ON PRODUCTSBYCATEGORY (CATEGORYID, PRODUCTID);
-- The highest link number of a category, read when a product joins it.
CREATE INDEX PRODUCTSBYCATEGORY_SEQUENCE ON PRODUCTSBYCATEGORY (CATEGORYID, SEQUENCE);
