object grd: TDBGrid
  Columns = <
    item
      Width = 40
      Title.Caption = 'C'#243'digo'
    end
    item
    end>
  object lbl: TLabel // comentário
  end
end
