#!/usr/bin/perl
# Walks tags of a compound index, or single-order .NTX files, with an independent reader (Perl's
# XBase module) and checks each against the table: every record exactly once, keys in order. The
# orders checked have character keys. With a folder instead of the compound index, each TAG is
# the file TAG.NTX in that folder.
#   xbase_check.pl TABLE.DBF INDEX.CDX|FOLDER TAG...
use strict;
use warnings;
use XBase;
use XBase::Index;

my ($dbf, $cdx, @tags) = @ARGV;
my $table = XBase->new($dbf) or die "cannot open $dbf: " . XBase->errstr;
my $records = $table->last_record + 1;
my $bad = 0;
for my $tag (@tags) {
    my $index = -d $cdx
        ? XBase::Index->new("$cdx/$tag.NTX", 'type' => 'char')
        : XBase::Index->new($cdx, 'tag' => $tag, 'type' => 'char');
    $index or die "cannot open order $tag of $cdx: " . XBase::Index->errstr;
    $index->prepare_select;
    my %seen;
    my $previous;
    my $count = 0;
    while (my ($key, $rec) = $index->fetch) {
        ++$count;
        if ($rec < 1 || $rec > $records || $seen{$rec}++) {
            print "tag $tag: record $rec out of range or twice\n";
            ++$bad;
        }
        if (defined $previous && $previous gt $key) {
            print "tag $tag: key $count out of order\n";
            ++$bad;
        }
        $previous = $key;
    }
    if ($count != $records) {
        print "tag $tag: $count keys for $records records\n";
        ++$bad;
    }
    print "tag $tag: $count keys checked\n";
}
exit($bad ? 1 : 0);
