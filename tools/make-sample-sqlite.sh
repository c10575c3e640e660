#!/bin/sh
# Creates the sample SQLite database OUTPUT.sqlite (replacing it) through the
# sqlite3 command-line program, with the same tables, view, keys and rows as
# the Firebird sample (tools/make-sample-db.sh).
#
#   tools/make-sample-sqlite.sh build/sample/tabulon-sample.sqlite
set -eu

if [ $# -ne 1 ]; then
    echo "usage: $0 OUTPUT.sqlite" >&2
    exit 2
fi

SQLITE=${SQLITE:-sqlite3}
if ! command -v "$SQLITE" >/dev/null 2>&1; then
    echo "$0: $SQLITE not found (Debian package sqlite3)" >&2
    exit 1
fi

out=$1
mkdir -p "$(dirname "$out")"
tmp="$out.tmp.$$"
rm -f "$tmp"
trap 'rm -f "$tmp"' EXIT INT TERM

"$SQLITE" -bail "$tmp" <<'SQL'
pragma foreign_keys = on;
begin;

create table customers (
    id integer not null primary key,
    name varchar(60) not null,
    city varchar(40),
    country char(2) default 'DE' not null,
    since date,
    notes text
);

create table products (
    id integer not null primary key,
    code char(8) not null unique,
    name varchar(60) not null,
    price numeric(10, 2) not null,
    in_stock boolean default true
);

create table orders (
    id integer not null primary key,
    customer_id integer not null references customers (id),
    product_id integer not null references products (id) on delete cascade,
    quantity smallint not null,
    ordered_on date not null,
    shipped_at timestamp
);
create index orders_ordered_on on orders (ordered_on);

create view order_totals (order_id, customer, product, quantity, total) as
    select o.id, c.name, p.name, o.quantity, o.quantity * p.price
    from orders o
    join customers c on c.id = o.customer_id
    join products p on p.id = o.product_id;

insert into customers values
    (1, 'Alder & Sons', 'Hamburg', 'DE', '2015-03-01', 'Pays on the first of the month.'),
    (2, 'Birchwood Ltd', 'Leeds', 'GB', '2016-07-12', null),
    (3, 'Cedar Works', 'Lyon', 'FR', '2018-01-20', 'Prefers mail.' || char(10) || 'No calls before 10.'),
    (4, 'Douglas Fir AG', 'Zurich', 'CH', '2019-11-05', null),
    (5, 'Elm Street Books', 'Boston', 'US', '2020-02-29', 'Ships to a P.O. box.'),
    (6, 'Fagus Trading', 'Wien', 'AT', '2021-06-30', null),
    (7, 'Ginkgo Garden', 'Kyoto', 'JP', '2022-04-01', null),
    (8, 'Hazel & Holm', 'Bergen', 'NO', null, null);

insert into products values
    (1, 'TB-0001', 'Oak table', 349.00, true),
    (2, 'CH-0002', 'Beech chair', 89.50, true),
    (3, 'SH-0003', 'Pine shelf', 45.99, true),
    (4, 'DK-0004', 'Walnut desk', 612.25, false),
    (5, 'LP-0005', 'Bamboo lamp', 24.90, true),
    (6, 'BX-0006', 'Cherry box', 12.00, null);

insert into orders values
    (1, 1, 1, 2, '2024-01-03', '2024-01-05 09:30:00'),
    (2, 1, 2, 8, '2024-01-03', '2024-01-05 09:30:00'),
    (3, 2, 3, 5, '2024-01-17', '2024-01-19 14:05:10'),
    (4, 3, 4, 1, '2024-02-02', null),
    (5, 3, 5, 4, '2024-02-11', '2024-02-12 08:00:00'),
    (6, 4, 1, 1, '2024-02-29', '2024-03-04 16:45:00'),
    (7, 5, 6, 12, '2024-03-08', '2024-03-09 11:11:11'),
    (8, 5, 3, 2, '2024-03-15', null),
    (9, 6, 2, 4, '2024-04-01', '2024-04-03 10:00:00'),
    (10, 6, 5, 6, '2024-04-20', '2024-04-22 13:20:00'),
    (11, 7, 4, 1, '2024-05-05', null),
    (12, 7, 6, 3, '2024-05-06', '2024-05-07 07:07:07'),
    (13, 8, 1, 1, '2024-06-10', '2024-06-14 12:00:00'),
    (14, 2, 5, 10, '2024-06-18', '2024-06-19 09:15:00'),
    (15, 4, 3, 3, '2024-07-01', null);

commit;
SQL

mv -f "$tmp" "$out"
trap - EXIT INT TERM
echo "$out"
