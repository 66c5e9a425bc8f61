-- Table main of the site database. The build turns this file into the template sdk.dll,
-- which the program copies to DIY.xqd on first start; the posting product reads the same table.
-- Id is assigned by the database, always positive and never reused (AUTOINCREMENT).
-- Fields that a new row does not receive stay NULL, which the program reads as empty text.
CREATE TABLE main (
    Id          INTEGER PRIMARY KEY AUTOINCREMENT,
    engname     TEXT,
    Name        TEXT,
    xxfburl     TEXT,
    asp         TEXT,
    yhdlurl     TEXT,
    gbe         TEXT,
    "Action"    TEXT,
    Memo        TEXT,
    checkvar    TEXT,
    loginhttp   TEXT,
    login       TEXT,
    loginreturn TEXT
);
