#!/usr/bin/env python3
"""Fills a company database with a year of trade for the load test.

Usage: bench/make_year.py DATABASE.db [ORDERS] [YEAR]

About ORDERS orders (2,000 by default), half purchases and half sales,
spread over the twelve months of YEAR (this year by default), each with one
to three lines; most are received or shipped, invoiced and paid in part, as
the application would have saved them: every counter on the order and stock
lines equals the sum of the document lines behind it, and the stock and its
journal agree.
"""
import datetime
import random
import sqlite3
import sys

SIDES = [
    # partner table and key, orders, lines, moves, move lines, move key,
    # invoices, invoice lines, payments, payment lines, number prefixes
    dict(partners="zpsplyt", pkey="splid", pname="splnm", orders="zpordrt", lines="zpordrd",
         moves="zwimprt", move_lines="zwimprd", mkey="impid", mtype="impty", invoices="zpinvct",
         invoice_lines="zpinvcd", payments="zppymnt", payment_lines="zppymnd", prefix="BP"),
    dict(partners="zsclntt", pkey="cltid", pname="cltnm", orders="zsordrt", lines="zsordrd",
         moves="zwexprt", move_lines="zwexprd", mkey="expid", mtype="expty", invoices="zsinvct",
         invoice_lines="zsinvcd", payments="zspymnt", payment_lines="zspymnd", prefix="BS"),
]


def day_of(year, month, rng):
    return datetime.date(year, month, rng.randint(1, 28)).isoformat()


def partners_of(db, side):
    ids = [row[0] for row in db.execute(f"SELECT {side['pkey']} FROM {side['partners']}")]
    if not ids:
        db.execute(f"INSERT INTO {side['partners']}({side['pkey']}, {side['pname']}, stats) VALUES(9001, 'bench', 1)")
        ids = [9001]
    return ids


def products_of(db):
    rows = list(db.execute("SELECT prdnm, specs, unitg FROM zcprdct"))
    for i in range(40):
        name, specs = f"bench product {i}", f"B{i}"
        db.execute("INSERT OR IGNORE INTO zcprdct(prdnm, specs, clsid, unitg, qunty, itmpr) VALUES(?, ?, 0, 'pc', 0, 0)",
                   (name, specs))
        rows.append((name, specs, "pc"))
    return rows


def move_stock(db, product, quantity, price, receipt, month):
    qunty, cost = db.execute("SELECT qunty, itmpr FROM zcprdct WHERE prdnm = ? AND specs = ?", product[:2]).fetchone()
    if receipt:
        new = qunty + quantity
        cost = (qunty * cost + quantity * price) / new if new > 0 else cost
    else:
        new = qunty - quantity
    db.execute("UPDATE zcprdct SET qunty = ?, itmpr = ? WHERE prdnm = ? AND specs = ?", (round(new, 4), round(cost, 8),
                                                                                       *product[:2]))
    db.execute("INSERT INTO zwacntt(fnmth, prdnm, specs, intal, imprt, exprt, qunty, cretr) VALUES(?, ?, ?, ?, ?, ?, ?, 'BENCH')",
               (month, product[0], product[1], qunty, quantity if receipt else 0, 0 if receipt else quantity,
                round(new, 4)))


def make_side(db, side, receipt, count, year, rng, products):
    partners = partners_of(db, side)
    for n in range(count):
        month = 1 + n * 12 // count
        ordid = f"{side['prefix']}{year}{n:05d}"
        excdt = day_of(year, month, rng)
        partner = rng.choice(partners)
        lines = []
        for linnm in range(1, rng.randint(1, 3) + 1):
            product = rng.choice(products)
            qunty = rng.randint(1, 50)
            price = round(rng.uniform(1, 200), 2)
            lines.append((linnm, product, qunty, price))
        amont = round(sum(q * p for _, _, q, p in lines), 2)
        db.execute(f"INSERT INTO {side['orders']}(ordid, {side['pkey']}, ordty, amont, excdt, oprtr, cretr, fnmth, "
                   f"taxrt, stats, paids, disct) VALUES(?, ?, 0, ?, ?, 'BENCH', 'BENCH', ?, 1, 3, 0, 0)",
                   (ordid, partner, amont, excdt, excdt[:7].replace("-", "")))
        moved_all = rng.random() < 0.8
        invoiced = moved_all and rng.random() < 0.75
        move_number = f"{side['prefix']}M{year}{n:05d}"
        invoice_number = f"{side['prefix']}I{year}{n:05d}"
        move_date = day_of(year, month, rng) if moved_all else None
        if moved_all:
            db.execute(f"INSERT INTO {side['moves']}({side['mkey']}, {side['mtype']}, {side['pkey']}, excdt, invdt, "
                       f"pymdt, cretr, fnmth, stats) VALUES(?, 1, ?, ?, ?, ?, 'BENCH', ?, 3)",
                       (move_number, partner, move_date, move_date, move_date, move_date[:7].replace("-", "")))
        if invoiced:
            db.execute(f"INSERT INTO {side['invoices']}(invid, {side['pkey']}, amont, invty, excdt, cretr, fnmth, "
                       f"stats, paids) VALUES(?, ?, ?, 0, ?, 'BENCH', ?, 3, 0)",
                       (invoice_number, partner, amont, move_date, move_date[:7].replace("-", "")))
        for linnm, product, qunty, price in lines:
            pramt = round(qunty * price, 8)
            moved = qunty if moved_all else 0
            db.execute(f"INSERT INTO {side['lines']}(ordid, linnm, prdnm, specs, unitg, qunty, itmpr, taxrt, pramt, "
                       f"plndt, shpdt, ldngs, invcs) VALUES(?, ?, ?, ?, ?, ?, ?, 1, ?, ?, ?, ?, ?)",
                       (ordid, linnm, product[0], product[1], product[2], qunty, price, pramt, excdt, excdt, moved,
                        moved if invoiced else 0))
            if not moved_all:
                continue
            if not receipt:
                have = db.execute("SELECT qunty FROM zcprdct WHERE prdnm = ? AND specs = ?", product[:2]).fetchone()[0]
                if have < qunty:
                    move_stock(db, product, qunty - have + 10, price, True, move_date[:7].replace("-", ""))
            move_stock(db, product, qunty, price, receipt, move_date[:7].replace("-", ""))
            db.execute(f"INSERT INTO {side['move_lines']}({side['mkey']}, linnm, prdnm, specs, unitg, qunty, itmpr, "
                       f"taxrt, pramt, orgid, orgln, invcs) VALUES(?, ?, ?, ?, ?, ?, ?, 1, ?, ?, ?, ?)",
                       (move_number, linnm, product[0], product[1], product[2], qunty, price, pramt, ordid, linnm,
                        qunty if invoiced else 0))
            if invoiced:
                db.execute(f"INSERT INTO {side['invoice_lines']}(invid, linnm, prdnm, specs, unitg, qunty, itmpr, "
                           f"pramt, orgid, orgln) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                           (invoice_number, linnm, product[0], product[1], product[2], qunty, price, pramt,
                            move_number, linnm))
        if invoiced and rng.random() < 0.7:
            paid = round(amont * rng.choice([0.5, 1.0]), 2)
            number = f"{side['prefix']}Y{year}{n:05d}"
            db.execute(f"INSERT INTO {side['payments']}(pymid, {side['pkey']}, amont, excdt, cretr, fnmth, stats) "
                       f"VALUES(?, ?, ?, ?, 'BENCH', ?, 3)", (number, partner, paid, move_date,
                                                              move_date[:7].replace("-", "")))
            db.execute(f"INSERT INTO {side['payment_lines']}(pymid, linnm, ordid, amont, lefts, paids, reman) "
                       f"VALUES(?, 1, ?, ?, ?, ?, ?)", (number, ordid, amont, amont, paid, round(amont - paid, 2)))
            db.execute(f"UPDATE {side['orders']} SET paids = ? WHERE ordid = ?", (paid, ordid))


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    orders = int(sys.argv[2]) if len(sys.argv) > 2 else 2000
    year = int(sys.argv[3]) if len(sys.argv) > 3 else datetime.date.today().year
    rng = random.Random(2026)
    db = sqlite3.connect(sys.argv[1])
    with db:
        products = products_of(db)
        make_side(db, SIDES[0], True, orders // 2, year, rng, products)
        make_side(db, SIDES[1], False, orders - orders // 2, year, rng, products)
    db.close()


if __name__ == "__main__":
    main()
