-- Currencies and their exchange rates by validity period. The writers
-- insert without a column list, so the column order is part of the contract.

-- One row per currency; one home currency and one euro currency.
CREATE TABLE CURRENCY (
  CURRENCYCODE nchar(3) COLLATE SUITE_CI NOT NULL PRIMARY KEY,
  CURRENCYNAME nvarchar(30) COLLATE SUITE_CI NOT NULL,
  HOMECURRENCY bit NOT NULL,
  EURO bit NOT NULL,
  EPC bit NOT NULL,
  DECIMALS smallint NOT NULL,
  LOCALEID int NULL
);

-- A currency's rates from EFFECTIVEDATE up to (not including) EXPIRYDATE;
-- a null EXPIRYDATE is open-ended. Rates apply to RATEFACTOR units.
CREATE TABLE CURRENCYRATE (
  CURRENCYCODE nchar(3) COLLATE SUITE_CI NOT NULL,
  EFFECTIVEDATE datetime NOT NULL,
  EXPIRYDATE datetime NULL,
  HOMESALESRATE decimal(18,4) NULL,
  EUROSALESRATE decimal(12,6) NULL,
  RATEFACTOR int NOT NULL,
  PRIMARY KEY (CURRENCYCODE, EFFECTIVEDATE)
);
