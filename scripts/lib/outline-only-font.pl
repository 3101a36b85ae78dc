#!/usr/bin/perl
# outline-only-font.pl IN OUT: copy a TrueType font without its embedded bitmaps (EBDT, EBLC,
# EBSC and the BDF table), so that it draws from its outlines at every size.
#
# Wine's own Tahoma carries hand-drawn bitmaps for 8 to 16 pixels only, and its bold face's
# outlines are no heavier than the regular ones: at 96 DPI the dialogs get the bitmaps, at
# 144 DPI (17 pixels) the outlines, which are Bitstream Vera Sans in shape. Without the
# bitmaps every DPI shows the same letters.
use strict;
use warnings;

@ARGV == 2 or die "usage: $0 IN OUT\n";
my ($in, $out) = @ARGV;
open(my $fh, '<:raw', $in) or die "$in: $!\n";
my $data = do { local $/; <$fh> };
close $fh;

my ($version, $count) = unpack('N n', $data);
$version == 0x00010000 or die "$in: not a TrueType font\n";
my %drop = map { $_ => 1 } ('EBDT', 'EBLC', 'EBSC', 'BDF ');
my @tables;
for my $i (0 .. $count - 1) {
    my ($tag, $sum, $offset, $length) = unpack('a4 N N N', substr($data, 12 + 16 * $i, 16));
    next if $drop{$tag};
    push @tables, [$tag, substr($data, $offset, $length)];
}
@tables = sort { $a->[0] cmp $b->[0] } @tables;

my $n = @tables;
my $power = 1;
my $log = 0;
while ($power * 2 <= $n) { $power *= 2; $log++; }
my $header = pack('N n n n n', $version, $n, 16 * $power, $log, 16 * ($n - $power));
my $offset = 12 + 16 * $n;
my ($directory, $body) = ('', '');
for my $table (@tables) {
    my ($tag, $bytes) = @$table;
    my $padded = $bytes . ("\0" x ((4 - length($bytes) % 4) % 4));
    my $sum = 0;
    $sum = ($sum + $_) % 4294967296 for unpack('N*', $padded);
    $directory .= pack('a4 N N N', $tag, $sum, $offset, length $bytes);
    $body .= $padded;
    $offset += length $padded;
}
open(my $oh, '>:raw', $out) or die "$out: $!\n";
print {$oh} $header, $directory, $body or die "$out: $!\n";
close $oh or die "$out: $!\n";
