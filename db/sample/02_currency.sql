-- Sample currencies: the US dollar as home currency, the euro, the West
-- African CFA franc (tied to the euro at a fixed rate), the pound sterling
-- and the yen (quoted per 100 units). Rates run in half-year periods; the
-- first half of 2026 has expired, the current periods are open-ended.
INSERT INTO CURRENCY VALUES ('USD', 'US Dollar', 1, 0, 0, 2, 1033);
INSERT INTO CURRENCY VALUES ('EUR', 'Euro', 0, 1, 0, 2, NULL);
INSERT INTO CURRENCY VALUES ('XOF', 'CFA Franc BCEAO', 0, 0, 1, 0, 10252);
INSERT INTO CURRENCY VALUES ('GBP', 'Pound Sterling', 0, 0, 0, 2, 2057);
INSERT INTO CURRENCY VALUES ('JPY', 'Yen', 0, 0, 0, 0, 1041);

-- Units of the currency per US dollar (HOMESALESRATE) and per euro
-- (EUROSALESRATE), each for RATEFACTOR units. Only the home currency and the
-- currencies tied to the euro keep a euro rate.
INSERT INTO CURRENCYRATE VALUES ('USD', '2026-01-01 00:00:00', '2026-07-01 00:00:00', 1.0000, 1.0842, 1);
INSERT INTO CURRENCYRATE VALUES ('USD', '2026-07-01 00:00:00', NULL, 1.0000, 1.1655, 1);
INSERT INTO CURRENCYRATE VALUES ('XOF', '2026-01-01 00:00:00', NULL, NULL, 655.957, 1);
INSERT INTO CURRENCYRATE VALUES ('GBP', '2026-01-01 00:00:00', '2026-07-01 00:00:00', 0.7912, NULL, 1);
INSERT INTO CURRENCYRATE VALUES ('GBP', '2026-07-01 00:00:00', NULL, 0.7468, NULL, 1);
INSERT INTO CURRENCYRATE VALUES ('JPY', '2026-07-01 00:00:00', NULL, 1.5520, NULL, 100);
