# Writes or dumps a table with the python3-dbf package, in the line format of dbf_interop_tool.
import datetime
import sys

import dbf


def escape(s):
    return s.replace("\r", "\\r").replace("\n", "\\n").replace("|", "\\p")


def dump(path):
    t = dbf.Table(path, codepage="cp1250")
    t.open(dbf.READ_ONLY)
    for rec in t:
        parts = []
        for name in t.field_names:
            info = t.field_info(name)
            kind = chr(info[0]) if isinstance(info[0], int) else str(info[0])
            v = rec[name]
            if kind in ("N", "F"):
                parts.append("%.2f" % (v or 0))
            elif kind == "D":
                parts.append(v.strftime("%Y%m%d") if v else "")
            elif kind == "L":
                parts.append("T" if v else "F")
            elif kind == "M":
                parts.append(escape(v or ""))
            else:
                parts.append(escape((v or "").rstrip()))
        print(("*" if dbf.is_deleted(rec) else "") + "|".join(parts))
    t.close()


def write(path, kind="fp"):
    t = dbf.Table(path, "NAME C(20); QTY N(8,2); BORN D; OK L; NOTE M",
                  dbf_type=kind, codepage="cp1250")
    t.open(dbf.READ_WRITE)
    # dBase III memos end at the first 0x1A and have no length, so keep them text
    big = "y" * 90000
    for i in range(1, 5):
        t.append((
            "Úplně cizí %d" % i,
            i * 7.5 - 9,
            datetime.date(2000 + i, i, i) if i != 2 else None,
            i % 2 == 1,
            big if i == 3 else "text %d\r\nřádek" % i,
        ))
    with t[1] as rec:
        dbf.delete(rec)
    t.close()


if __name__ == "__main__":
    {"dump": dump, "write": write, "write-db3": lambda p: write(p, "db3"),
     "write-vfp": lambda p: write(p, "vfp")}[sys.argv[1]](sys.argv[2])
