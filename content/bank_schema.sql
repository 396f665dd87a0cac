-- Schema of a question bank (ength.dll, and the .zk files that replace it).
-- A bank is an SQLite file. The program never creates or alters these
-- objects; bankgen writes them and the tests build fixtures from this file.
--
-- Choices:
-- * Identifiers are INTEGER PRIMARY KEYs. t_exercise and t_exerresult use
--   AUTOINCREMENT so a new identifier is always larger than every earlier one,
--   even after rows were deleted: the practice window takes max(exer_id) as
--   the identifier of the exercise it just inserted.
-- * Points are NUMERIC: whole numbers stay integers (and read back without a
--   fraction), a half point would survive as a real.
-- * Texts are UTF-8 in the file. Declared types tell the record set a
--   column's kind: VARCHAR(n) and TEXT are text, LONGTEXT is a memo (the node
--   texts, RTF or plain), INTEGER and NUMERIC are numbers.
-- * v_exerresult lists its columns as direct column references, so their
--   declared types reach the record set, and is editable through INSTEAD OF
--   triggers the way an updatable join of its two tables would be:
--   - node columns (titlename, ...) change the t_subject row, except par_id:
--     a practice never changes the shape of the paper, so a row dragged in
--     the practice tree keeps its parent;
--   - answer columns (exre_text, exre_istrue, exer_id) change the result row;
--   - exre_id and subject_id are keys and cannot be changed through the view;
--   - deleting a row deletes the result row only: the paper's own nodes in
--     t_subject are never deleted through an exercise;
--   - inserting a row (a copied node) is ignored: the paper gains no node.
-- * tolm_meta holds the bank's password; a connection given another password
--   is refused.

CREATE TABLE t_title (
  title_id   INTEGER PRIMARY KEY,
  title_name VARCHAR(255) NOT NULL DEFAULT ''
);

CREATE TABLE t_subject (
  subject_id   INTEGER PRIMARY KEY,
  title_id     INTEGER NOT NULL,
  par_id       INTEGER,            -- parent node; NULL for the paper node
  titlename    VARCHAR(255),       -- caption in the tree
  title_name   VARCHAR(50),        -- question number or label
  subject_kind VARCHAR(10),        -- 考卷, 题型, 子题 or 题目
  subjext_text LONGTEXT,           -- memo: stem, passage or instructions
  subject_reso LONGTEXT,           -- memo: explanation
  type_show    INTEGER,            -- 1 choice A-D, 2 free text
  subject_ansi VARCHAR(255),       -- expected answer
  perpoint     NUMERIC             -- points of the question
);
CREATE INDEX ix_subject_title ON t_subject(title_id);

CREATE TABLE t_exercise (
  exer_id    INTEGER PRIMARY KEY AUTOINCREMENT,
  title_id   INTEGER,
  exer_title VARCHAR(20),          -- start time, yyyy-mm-dd hh:mm:ss
  exer_point NUMERIC               -- objective score
);

CREATE TABLE t_exerresult (
  exre_id     INTEGER PRIMARY KEY AUTOINCREMENT,
  exer_id     INTEGER NOT NULL,
  subject_id  INTEGER NOT NULL,
  exre_text   TEXT,                -- the user's answer
  exre_istrue VARCHAR(2)           -- √ or ×
);
CREATE INDEX ix_exerresult_exer ON t_exerresult(exer_id);

CREATE TABLE tolm_meta (
  name  TEXT PRIMARY KEY,
  value TEXT
);
INSERT INTO tolm_meta(name, value) VALUES ('password', 'qelvorn');

CREATE VIEW v_exerresult AS
SELECT r.exer_id, r.exre_id, s.subject_id, s.par_id, s.titlename, s.title_name,
       s.subject_kind, s.subjext_text, s.subject_reso, s.type_show, s.subject_ansi,
       s.perpoint, r.exre_text, r.exre_istrue
FROM t_exerresult r JOIN t_subject s ON s.subject_id = r.subject_id;

CREATE TRIGGER v_exerresult_update INSTEAD OF UPDATE ON v_exerresult
BEGIN
  UPDATE t_subject SET
    titlename = NEW.titlename, title_name = NEW.title_name,
    subject_kind = NEW.subject_kind, subjext_text = NEW.subjext_text,
    subject_reso = NEW.subject_reso, type_show = NEW.type_show,
    subject_ansi = NEW.subject_ansi, perpoint = NEW.perpoint
  WHERE subject_id = OLD.subject_id;
  UPDATE t_exerresult SET
    exer_id = NEW.exer_id, exre_text = NEW.exre_text, exre_istrue = NEW.exre_istrue
  WHERE exre_id = OLD.exre_id;
END;

CREATE TRIGGER v_exerresult_delete INSTEAD OF DELETE ON v_exerresult
BEGIN
  DELETE FROM t_exerresult WHERE exre_id = OLD.exre_id;
END;

CREATE TRIGGER v_exerresult_insert INSTEAD OF INSERT ON v_exerresult
BEGIN
  SELECT RAISE(IGNORE);
END;
