-- The ledger database: seven tables with fixed columns, order and types.
--
-- Types: dates are text "YYYY-MM-DD" (DATE), voucher numbers and counts are 16-bit integers
-- (SMALLINT), amounts are double precision holding whole cents (DOUBLE), texts are TEXT.
-- The database refuses what does not fit, as the journal's design requires:
--   crereg/total/tmp_pr: ph 15, zy 50, bxr 10, jbr 10, zbh 10 characters; pzh and pzn 16-bit.
-- Widths the journal leaves open, chosen here:
--   accstar: zbid 10 (the width of zbh), zblb 20, zbmc 50, zh 40, flag 1
--   basicset: OftenSummary 50 (a phrase is copied into crereg.zy, which holds 50)
--   pruser: user 16, userpassword 128 (a salted hash with its cost; files of older versions
--     held passwords in clear, 16 wide, and are rebuilt so when first opened for writing),
--     userpopedom 10; a user name is never empty
--   zhye (balance-table staging): zblb 20, zbmc 50, zh 40, ye 20 (the balance as "0.00" text)
-- Statements never rely on keys: the tables carry none, and the engine's row id addresses rows.

create table accstar (
    -- book identifier: "YYYYMM" of the day it was made, then a sequence number
    zbid text check (zbid is null or length(zbid) <= 10),
    -- category (现金日记帐, 银行日记帐, 银行卡, ...)
    zblb text check (zblb is null or length(zblb) <= 20),
    -- book name
    zbmc text check (zbmc is null or length(zbmc) <= 50),
    -- account number
    zh text check (zh is null or length(zh) <= 40),
    -- opening amount
    qcye double check (qcye is null or typeof(qcye) in ('real', 'integer')),
    -- "1": enabled, its opening rows made; "0": not
    flag text check (flag is null or length(flag) <= 1),
    -- start date
    qyrq date check (qyrq is null or qyrq glob '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]')
);

create table crereg (
    -- booking date
    dzrq date check (dzrq is null or dzrq glob '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]'),
    -- voucher number within the month; 0 on opening and carry-forward rows
    pzh smallint check (pzh is null or (typeof(pzh) = 'integer' and pzh between -32768 and 32767)),
    -- ticket or cheque number
    ph text check (ph is null or length(ph) <= 15),
    -- summary; also tells the kind of row
    zy text check (zy is null or length(zy) <= 50),
    -- debit (money in)
    j_je double check (j_je is null or typeof(j_je) in ('real', 'integer')),
    -- credit (money out)
    d_je double check (d_je is null or typeof(d_je) in ('real', 'integer')),
    -- balance after the line
    y_je double check (y_je is null or typeof(y_je) in ('real', 'integer')),
    -- number of voucher attachments
    pzn smallint check (pzn is null or (typeof(pzn) = 'integer' and pzn between -32768 and 32767)),
    -- claimant
    bxr text check (bxr is null or length(bxr) <= 10),
    -- handler: the user who wrote the line
    jbr text check (jbr is null or length(jbr) <= 10),
    -- the book's zbid
    zbh text check (zbh is null or length(zbh) <= 10)
);

create table total (
    -- the month's first day (the start date in a book's first month)
    dzrq date check (dzrq is null or dzrq glob '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]'),
    -- kind: 0 opening or carry-forward, 1 month total, 2 cumulative
    pzh smallint check (pzh is null or (typeof(pzh) = 'integer' and pzh between -32768 and 32767)),
    -- no ticket number: empty after posting, unset after the opening initialization
    ph text check (ph is null or length(ph) <= 15),
    -- 期初余额, 月结转余额, 本月合计 or 本月累计
    zy text check (zy is null or length(zy) <= 50),
    -- debit sum
    j_je double check (j_je is null or typeof(j_je) in ('real', 'integer')),
    -- credit sum
    d_je double check (d_je is null or typeof(d_je) in ('real', 'integer')),
    -- balance
    y_je double check (y_je is null or typeof(y_je) in ('real', 'integer')),
    -- the book's zbid
    zbh text check (zbh is null or length(zbh) <= 10)
);

create table basicset (
    -- a summary phrase
    OftenSummary text check (OftenSummary is null or length(OftenSummary) <= 50)
);

create table pruser (
    -- login name
    "user" text not null check (length(trim("user")) > 0 and length("user") <= 16),
    -- password hash (Argon2id, with its salt and cost); clear text from older versions until
    -- its user next logs in
    userpassword text check (userpassword is null or length(userpassword) <= 128),
    -- role: 管理员, 操作员 or 普通用户
    userpopedom text check (userpopedom is null or length(userpopedom) <= 10)
);

create table tmp_pr (
    sn integer primary key autoincrement,
    dzrq date,
    pzh smallint,
    ph text check (ph is null or length(ph) <= 15),
    zy text,
    j_je double,
    d_je double,
    y_je double,
    pzn smallint,
    bxr text,
    jbr text,
    zbh text
);

create table zhye (
    zblb text check (zblb is null or length(zblb) <= 20),
    zbmc text check (zbmc is null or length(zbmc) <= 50),
    zh text check (zh is null or length(zh) <= 40),
    ye text check (ye is null or length(ye) <= 20)
);

-- The month look-ups: a book's rows of a month in journal order, a book's summary rows of a
-- month, and a book by name and category.
create index crereg_book_month on crereg (zbh, dzrq, pzh);
create index total_book_month on total (zbh, dzrq);
create index accstar_name_category on accstar (zbmc, zblb);
