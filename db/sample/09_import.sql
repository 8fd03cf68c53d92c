-- Sample contract lines, which imported products name by the pair
-- (CONTRACTCODE, NUMBER): two contracts, for the head office and the
-- purchase office (see 04_user.sql).
INSERT INTO CONTRACTLINES VALUES ('C-2026-01', 1, 'Head office');
INSERT INTO CONTRACTLINES VALUES ('C-2026-01', 2, 'Head office');
INSERT INTO CONTRACTLINES VALUES ('C-2026-02', 1, 'Purchase office');
