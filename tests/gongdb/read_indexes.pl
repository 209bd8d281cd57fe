#!/usr/bin/perl
# Walks NDX indexes in key order with XBase::Index and looks each entry's
# record up in the table with XBase.
#
# usage: read_indexes.pl TABLE.dbf INDEX.ndx:FIELD...
#
# One line per entry, in walk order: index file, key, record number (as the
# index holds it, 1-based), deletion mark and the field's value as the table
# holds it, separated by tabs; keys and values without trailing blanks,
# bytes as stored.
use strict;
use warnings;
use XBase;
use XBase::Index;

my ($dbf, @indexes) = @ARGV;
my $table = XBase->new($dbf) or die "table: " . XBase->errstr . "\n";
binmode STDOUT;
for my $index_def (@indexes) {
    my ($file, $field) = split /:/, $index_def;
    my $index = XBase::Index->new($file) or die "$file: " . XBase::Index->errstr . "\n";
    $index->prepare_select;
    while (my ($key, $recno) = $index->fetch) {
        my ($deleted, $value) = $table->get_record($recno - 1, $field);
        die "$file: entry for record $recno, which the table lacks\n" unless defined $deleted;
        $key =~ s/ +$//;
        $value = '' unless defined $value;
        $value =~ s/ +$//;
        print join("\t", $file, $key, $recno, $deleted ? '*' : ' ', $value), "\n";
    }
}
