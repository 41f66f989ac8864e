-- The contact database as zamo 1.1.0 made it (database version 1): the UID has
-- its own unique index. Newer versions still open and write such databases.
PRAGMA encoding = 'UTF-16le';
CREATE TABLE contact(id INTEGER PRIMARY KEY, uid TEXT NOT NULL UNIQUE, parent INTEGER NOT NULL, insert_text TEXT NOT NULL DEFAULT '', created REAL NOT NULL, modified REAL NOT NULL, birth REAL NOT NULL, title TEXT NOT NULL DEFAULT '', last_name TEXT NOT NULL DEFAULT '', first_name TEXT NOT NULL DEFAULT '', middle_name TEXT NOT NULL DEFAULT '', company TEXT NOT NULL DEFAULT '', job_title TEXT NOT NULL DEFAULT '', profession TEXT NOT NULL DEFAULT '', assistant TEXT NOT NULL DEFAULT '', manager TEXT NOT NULL DEFAULT '', details TEXT NOT NULL DEFAULT '', home_street TEXT NOT NULL DEFAULT '', home_city TEXT NOT NULL DEFAULT '', home_province TEXT NOT NULL DEFAULT '', home_postal_code TEXT NOT NULL DEFAULT '', home_country TEXT NOT NULL DEFAULT '', work_street TEXT NOT NULL DEFAULT '', work_city TEXT NOT NULL DEFAULT '', work_province TEXT NOT NULL DEFAULT '', work_postal_code TEXT NOT NULL DEFAULT '', work_country TEXT NOT NULL DEFAULT '');
CREATE INDEX contact_parent ON contact(parent, id);
CREATE TABLE communication(contact INTEGER NOT NULL, seq INTEGER NOT NULL, kind TEXT NOT NULL, value TEXT NOT NULL, sub_kind TEXT, PRIMARY KEY(contact, seq)) WITHOUT ROWID;
PRAGMA application_id = 1514229071;
PRAGMA user_version = 1;
