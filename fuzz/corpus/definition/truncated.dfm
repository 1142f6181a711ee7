object frm: TForm
  Caption = 'abc
  Items = <
    item
